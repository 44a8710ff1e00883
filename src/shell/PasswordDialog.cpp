// The database password prompt: a modal "Password" dialog with a masked edit, OK and Cancel.
#include "shell/PasswordDialog.h"

#include "controls/PlainText.h"
#include "media/Messages.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlaventis {
namespace {

// Styles differ in the mask character (a dot in most); the prompt always shows "*".
class StarMaskStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent), edit_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Password"));
  setModal(true);
  auto* style = new StarMaskStyle;
  style->setParent(this);  // the dialog owns the style; the edit only uses it
  edit_->setStyle(style);
  edit_->setEchoMode(QLineEdit::Password);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(NewPlainLabel(QStringLiteral("Enter password:"), this));
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  edit_->setFocus();
}

std::optional<QString> DialogPasswordPrompt::AskPassword(const QString& fileName) {
  const QString key = QFileInfo(fileName).absoluteFilePath();
  if (const auto known = answers_.constFind(key); known != answers_.cend()) return *known;
  std::optional<QString> answer;
  if (!Unattended()) {
    PasswordDialog dialog(parent_);
    if (dialog.exec() == QDialog::Accepted) answer = dialog.Edit()->text();
  }
  answers_.insert(key, answer);
  return answer;
}

}  // namespace orlaventis
