#include "modules/listwindow/EditDialog.h"

#include "datastore/clsSystem.h"
#include "modules/listwindow/Options.h"
#include "modules/listwindow/modStart.h"
#include "platform/vbcolor.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace listwindow {

namespace {

constexpr double kBandHeight = 1050;
constexpr double kLineTop = 1020;

// What the input check reads of a field: its text, and where the focus goes when it fails.
class FieldInput : public datastore::TextInput {
public:
  explicit FieldInput(QWidget* field) : field_(field) {}
  QString Text() const override {
    if (auto* edit = qobject_cast<QLineEdit*>(field_)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(field_)) return combo->currentText();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field_)) return plain->toPlainText();
    return QString();
  }
  void SetFocus() override { field_->setFocus(); }

private:
  QWidget* field_;
};

} // namespace

int EditDialog::Px(double twips) { return platform::TwipsToPixels(twips); }

void EditDialog::Place(QWidget* w, double left, double top, double width, double height) {
  w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

EditDialog::EditDialog(EditDialogDesign design, QWidget* parent) : QDialog(parent), design_(std::move(design)) {
  setObjectName(design_.objectName);
  if (design_.resizable) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    const QSizeF frame = design_.windowTwips - design_.clientTwips;
    setMinimumSize(Px(options::kMinWindowWidth - frame.width()), Px(options::kMinWindowHeight - frame.height()));
  } else {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(Px(design_.clientTwips.width()), Px(design_.clientTwips.height()));
  }
  modStart::SetTopMost(this, true);
  LoadPlace();
}

EditDialog::~EditDialog() = default;

std::optional<qint64> EditDialog::RecordId() const {
  bool ok = false;
  const qint64 id = Tag.toLongLong(&ok);
  return ok ? std::optional<qint64>(id) : std::nullopt;
}

void EditDialog::Modify(qint64 id, datastore::RowSet& row) {
  Tag = QString::number(id);
  LoadRecord(row);
}

void EditDialog::cmdHelp_Click() { modStart::OpenWebPage(datastore::clsSystem::AppUrl() + u'#' + objectName()); }

void EditDialog::MakeBand(const QString& heading, const QString& hint) {
  Picture1 = new QFrame(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setAutoFillBackground(true);
  QPalette white = Picture1->palette();
  white.setColor(QPalette::Window, Qt::white);
  Picture1->setPalette(white);
  Picture1->setGeometry(0, 0, Px(design_.clientTwips.width()), Px(kBandHeight));

  Label3 = new QLabel(heading, Picture1);
  Label3->setObjectName(QStringLiteral("Label3"));
  QFont bold = Label3->font();
  bold.setBold(true);
  Label3->setFont(bold);
  Label3->move(Px(270), Px(285));
  Label3->adjustSize();

  Label4 = new QLabel(hint, Picture1);
  Label4->setObjectName(QStringLiteral("Label4"));
  Label4->move(Px(270), Px(555));
  Label4->adjustSize();

  Line1 = new QFrame(Picture1);
  Line1->setObjectName(QStringLiteral("Line1"));
  Line1->setAutoFillBackground(true);
  QPalette grey = Line1->palette();
  grey.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  Line1->setPalette(grey);
  Line1->setGeometry(0, Px(kLineTop), Picture1->width(), Px(15));
}

QPushButton* EditDialog::MakeButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QLatin1String(name));
  // No default button: Enter never saves.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

bool EditDialog::IsCheckInputTrue(QWidget* field, const QString& caption, bool blnNull, bool blnNumeric,
                                  bool blnDate, bool blnSign) {
  FieldInput input(field);
  return modStart::objDate().IsCheckInputTrue(input, caption, blnNull, blnNumeric, blnDate, blnSign);
}

void EditDialog::FillClasses(QComboBox* box, datastore::RowSetPtr rows, const QString& field) {
  if (!rows || rows->State() != 1) return;
  for (; !rows->Eof(); rows->MoveNext()) {
    const QVariant value = rows->Fields(field);
    if (value.isNull()) continue;
    box->addItem(value.toString());
    // An imported category may be longer than the box takes by default: it is kept whole.
    if (QLineEdit* edit = box->lineEdit()) edit->setMaxLength(qMax(edit->maxLength(), int(value.toString().size())));
  }
  rows->Close();
  if (!design_.classKey.isEmpty())
    box->setCurrentText(platform::GetSetting(QStringLiteral("Option"), design_.classKey, QString()));
}

void EditDialog::Saved(const QString& group, const QString& category) {
  SavedClass = group;
  if (!design_.classKey.isEmpty()) platform::SaveSetting(QStringLiteral("Option"), design_.classKey, category);
  accept();
}

void EditDialog::LoadPlace() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect();
  const QString& prefix = design_.placePrefix;
  const double left = options::PlaceTwips(prefix + QStringLiteral("Left"))
                          .value_or((platform::PixelsToTwips(area.width()) - design_.windowTwips.width()) / 2);
  const double top = options::PlaceTwips(prefix + QStringLiteral("Top"))
                         .value_or((platform::PixelsToTwips(area.height()) - design_.windowTwips.height()) / 2);
  move(Px(left), Px(top));
  if (!design_.resizable) return;
  // The stored width and height are the window's: the frame of the design comes off.
  const QSizeF frame = design_.windowTwips - design_.clientTwips;
  const double width = options::PlaceTwips(prefix + QStringLiteral("Width")).value_or(design_.windowTwips.width());
  const double height = options::PlaceTwips(prefix + QStringLiteral("Height")).value_or(design_.windowTwips.height());
  resize(Px(width - frame.width()), Px(height - frame.height()));
}

void EditDialog::SavePlace() {
  // A maximised or minimised window keeps the last normal place.
  if (isMaximized() || isMinimized()) return;
  const QString& prefix = design_.placePrefix;
  options::SavePlaceTwips(prefix + QStringLiteral("Left"), platform::PixelsToTwips(x()));
  options::SavePlaceTwips(prefix + QStringLiteral("Top"), platform::PixelsToTwips(y()));
  if (!design_.resizable) return;
  const QSizeF frame = design_.windowTwips - design_.clientTwips;
  options::SavePlaceTwips(prefix + QStringLiteral("Width"), platform::PixelsToTwips(width()) + frame.width());
  options::SavePlaceTwips(prefix + QStringLiteral("Height"), platform::PixelsToTwips(height()) + frame.height());
}

bool EditDialog::Form_KeyDown(QKeyEvent*) { return false; }

void EditDialog::keyPressEvent(QKeyEvent* event) {
  // Esc reaches QDialog, which cancels: the place is kept through done().
  if (!eventFilter(this, event)) QDialog::keyPressEvent(event);
}

void EditDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!Picture1) return;
  Picture1->resize(width(), Picture1->height());
  Line1->resize(width(), Line1->height());
}

void EditDialog::showEvent(QShowEvent* event) {
  // Key preview: every control passes its keys through eventFilter first. Installing twice
  // keeps one filter.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  QDialog::showEvent(event);
}

bool EditDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const bool ctrlOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
  if (ctrlOnly && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
    cmdOk_Click();
    return true;
  }
  return Form_KeyDown(key);
}

void EditDialog::done(int result) {
  SavePlace();
  QDialog::done(result);
}

} // namespace listwindow
