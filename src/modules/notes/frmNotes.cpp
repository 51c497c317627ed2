#include "modules/notes/frmNotes.h"

#include "modules/listwindow/icons.h"
#include "modules/notes/frmNotesEdit.h"
#include "platform/vb.h"
#include "shell/modStart.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

listwindow::ListWindowParams NotesParams() {
  listwindow::ListWindowParams p;
  p.objectName = "frmNotes";
  p.titleText = "常用资料笔记";
  p.rootText = "所有的资料笔记";
  p.classField = "notesclass";
  p.groupField = "notesclass";
  p.idField = "notesid";
  p.markField = "notesstring1";
  p.images.insert("notesclass", QIcon(listwindow::FolderPixmap(QColor(0xF0, 0xC8, 0x50))));
  p.images.insert("notesonly", QIcon(listwindow::PagePixmap(QColor(0x30, 0x60, 0xC0))));
  p.groupImageKey = "notesclass";
  p.recordImageKey = "notesonly";
  p.moduleIcon = listwindow::PagePixmap(QColor(0xC0, 0x30, 0x30));
  p.historySection = "Notes";
  p.fourthName = "LabRefresh";
  p.fourthCaption = "&R.刷新";
  p.fourthKey = Qt::Key_R;
  p.fourthLeft = 2263;
  p.labAdLeft = 3840;
  p.allOpenLeft = 2160;
  p.allCloseLeft = 2640;
  p.canRenameGroup = true;
  p.groupDeleteTail = " 分类下的常用资料笔记吗？";
  p.recordDeleteTail = " 的常用资料笔记吗？";
  p.rootEnabling = {false, false, false, std::nullopt};
  p.groupEnabling = {true, true, false, std::nullopt};
  p.recordEnabling = {true, true, true, std::nullopt};
  return p;
}

datastore::clsDate& db() { return modStart::objDate(); }

} // namespace

frmNotes::frmNotes(QWidget* parent) : ListWindow(NotesParams(), parent) {
  LabRefresh = FourthButton;
  Form_Load();
}

void frmNotes::LabRefresh_Click() { LoadTree(QString()); }

namespace {

// The data set keeps dates as "yyyy-mm-dd hh:nn:ss": their first ten characters are the day.
bool IsIsoDay(const QVariant& date, const QString& text) {
  return date.typeId() == QMetaType::QString && text.size() >= 10 && text[4] == '-' && text[7] == '-' &&
         (text.size() == 10 || text[10] == ' ') && text[0].isDigit() && text[5].isDigit() && text[6].isDigit() &&
         text[8].isDigit() && text[9].isDigit();
}

} // namespace

QString frmNotes::NoteNodeText(const QVariant& title, const QVariant& date, const QVariant& content) {
  const QString head = title.toString();
  const QString dateText = date.toString();
  const bool iso = IsIsoDay(date, dateText);
  const QString formatted = iso ? QString() : vb::Format(date, "yyyy-mm-dd");
  const QStringView day = iso ? QStringView(dateText).left(10) : QStringView(formatted);
  const QString excerpt = modStart::ShortenText(content.toString());
  // Built in one buffer: this runs once per note on every load.
  QString text;
  text.reserve(head.size() + day.size() + excerpt.size() + 3);
  text.append(head).append(u' ').append(day).append(u'（').append(excerpt).append(u'）');
  return text;
}

QString frmNotes::RecordNodeText(datastore::RowSet& rs) {
  return NoteNodeText(rs.Fields("notestitle"), rs.Fields("notesdate"), rs.Fields("notescontent"));
}

datastore::RowSetPtr frmNotes::GetClass() { return db().Notes_GetClass(); }
datastore::RowSetPtr frmNotes::GetRecordSet(const QString& strClass) { return db().Notes_GetRecordSet(strClass); }
bool frmNotes::ModifyClass(const QString& newClass, const QString& oldClass) {
  return db().Notes_ModifyClass(newClass, oldClass);
}
bool frmNotes::DeleteClass(const QString& strClass) { return db().Notes_DeleteClass(strClass); }
bool frmNotes::Delete(qint64 id) { return db().Notes_Delete(id); }
bool frmNotes::ModifyColor(qint64 id, const QString& strColor) { return db().Notes_ModifyColor(id, strColor); }

QString frmNotes::ShowAddDialog() {
  frmNotesEdit dialog;
  dialog.setWindowTitle("增加常用资料笔记");
  ExecModal(dialog);
  return dialog.SavedClass;
}

QString frmNotes::ShowModifyDialog(qint64 id) {
  datastore::RowSetPtr rs = db().Notes_GetModify(id);
  // A note deleted meanwhile has no row: nothing to modify.
  if (!rs || rs->State() != 1 || rs->Eof()) return QString();
  frmNotesEdit dialog;
  dialog.Tag = rs->Fields("notesid").toString();
  dialog.setWindowTitle("修改常用资料笔记");
  const QString title = rs->Fields("notestitle").toString();
  // An imported title may be longer than typing allows: it is shown and compared whole.
  dialog.txtTitle->setMaxLength(qMax(dialog.txtTitle->maxLength(), int(title.size())));
  dialog.txtTitle->setText(title);
  dialog.TitleTag = title;
  dialog.SetContent(rs->Fields("notescontent").toString());
  dialog.cobClass->setCurrentText(rs->Fields("notesclass").toString());
  rs->Close();
  ExecModal(dialog);
  return dialog.SavedClass;
}
