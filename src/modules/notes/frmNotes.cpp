#include "modules/notes/frmNotes.h"

#include "modules/listwindow/icons.h"
#include "modules/notes/frmNotesEdit.h"
#include "platform/vb.h"
#include "modules/listwindow/modStart.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

listwindow::ListWindowParams NotesParams() {
  listwindow::ListWindowParams p;
  p.objectName = "frmNotes";
  using datastore::clsDate;
  p.family = {&clsDate::Notes_GetClass,   &clsDate::Notes_GetRecordSet, &clsDate::Notes_GetModify,
              &clsDate::Notes_ModifyClass, &clsDate::Notes_DeleteClass,  &clsDate::Notes_Delete,
              &clsDate::Notes_ModifyColor};
  p.titleText = "常用资料笔记";
  p.rootText = "所有的资料笔记";
  p.classField = "notesclass";
  p.groupField = "notesclass";
  p.idField = "notesid";
  p.markField = "notesstring1";
  p.allRecords = &clsDate::Notes_GetAllRecords;
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
  p.addCaption = "增加常用资料笔记";
  p.modifyCaption = "修改常用资料笔记";
  p.groupDeleteTail = " 分类下的常用资料笔记吗？";
  p.recordDeleteTail = " 的常用资料笔记吗？";
  p.rootEnabling = {false, false, false, std::nullopt};
  p.groupEnabling = {true, true, false, std::nullopt};
  p.recordEnabling = {true, true, true, std::nullopt};
  return p;
}

} // namespace

frmNotes::frmNotes(QWidget* parent) : ListWindow(NotesParams(), parent) {
  LabRefresh = FourthButton;
  Form_Load();
}

void frmNotes::LabRefresh_Click() { LoadTree(QString()); }

namespace {

// The data set keeps dates as "yyyy-mm-dd hh:nn:ss": their first ten characters are the day.
// The same test on a QString and on the bytes of a stored date.
template <class Text>
bool IsIsoDay(const Text& text) {
  const auto digit = [&](qsizetype i) { return QChar(text[i]).isDigit(); };
  return text.size() >= 10 && text[4] == '-' && text[7] == '-' && (text.size() == 10 || text[10] == ' ') &&
         digit(0) && digit(5) && digit(6) && digit(8) && digit(9);
}

} // namespace

QString frmNotes::NoteNodeText(const QVariant& title, const QVariant& date, const QVariant& content) {
  const QString head = title.toString();
  const QString dateText = date.toString();
  const bool iso = date.typeId() == QMetaType::QString && IsIsoDay(dateText);
  const QString formatted = iso ? QString() : vb::Format(date, "yyyy-mm-dd");
  const QStringView day = iso ? QStringView(dateText).left(10) : QStringView(formatted);
  const QString excerpt = modStart::ShortenText(content.toString());
  // Built in one buffer: this runs once per note on every load.
  QString text;
  text.reserve(head.size() + day.size() + excerpt.size() + 3);
  text.append(head).append(u' ').append(day).append(u'（').append(excerpt).append(u'）');
  return text;
}

void frmNotes::ResolveColumns(datastore::RowSet& rs) {
  titleColumn_ = rs.Column("notestitle");
  contentColumn_ = rs.Column("notescontent");
  dateColumn_ = rs.Column("notesdate");
}

// NoteNodeText straight from the row's UTF-8 into a buffer kept between rows, as this runs for
// every note of a whole-tree load: no string per field, nor per note.
QStringView frmNotes::RecordNodeTextView(datastore::RowSet& rs) {
  const QByteArrayView date = rs.Utf8(dateColumn_);
  if (!IsIsoDay(date)) {
    buffer_ = NoteNodeText(rs.Field(titleColumn_), rs.Field(dateColumn_), rs.Field(contentColumn_));
    return buffer_;
  }
  const QByteArrayView title = rs.Utf8(titleColumn_);
  const QByteArrayView content = rs.Utf8(contentColumn_);
  const qsizetype space = modStart::Utf8Room(title) + 13 + modStart::ExcerptRoom(content);
  if (buffer_.size() < space) buffer_.resize(space);
  QChar* const start = buffer_.data();
  QChar* out = modStart::AppendUtf8(start, title);
  *out++ = u' ';
  out = modStart::AppendUtf8(out, date.first(10));
  *out++ = u'（';
  out = modStart::AppendExcerpt(out, content);
  *out++ = u'）';
  return QStringView(start, out - start);
}

std::unique_ptr<listwindow::EditDialog> frmNotes::MakeDialog() { return std::make_unique<frmNotesEdit>(); }
