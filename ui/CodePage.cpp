#include "CodePage.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>
#include <QVariant>

#include <utility>

namespace trel {
namespace {

constexpr const char* kLoadedBytes = "trelLoadedBytes"; // the bytes a box was filled with
constexpr const char* kLoadedText = "trelLoadedText";   // and the text it showed for them

bool ShowsLoadedText(const QLineEdit& edit, const QString& text) {
    const QVariant loaded = edit.property(kLoadedText);
    return loaded.isValid() && loaded.toString() == text;
}

class CodePageValidator final : public QValidator {
public:
    CodePageValidator(QLineEdit& edit, std::function<void(const QString&)> refused)
        : QValidator(&edit), edit_(edit), refused_(std::move(refused)) {}

    State validate(QString& input, int&) const override {
        QString character;
        if (ShowsLoadedText(edit_, input) || ToCodePage(input, &character))
            return Acceptable;
        // The box is in the middle of handling the key: the message waits until that is done, and one
        // refused change gives one message however often the box asks.
        if (!pending_) {
            pending_ = true;
            QTimer::singleShot(0, this, [this, message = RefusedCharacterText(character)] {
                pending_ = false;
                refused_(message);
            });
        }
        return Invalid;
    }

private:
    QLineEdit& edit_;
    std::function<void(const QString&)> refused_;
    mutable bool pending_ = false;
};

} // namespace

QString RefusedCharacterText(const QString& character) {
    return QStringLiteral("The character \"%1\" cannot be stored in the system's code page, so the text stays "
                          "as it was.")
        .arg(character);
}

void SetStoredText(QLineEdit& edit, const std::string& bytes) {
    const QString text = FromCodePage(bytes);
    edit.setProperty(kLoadedBytes, QByteArray::fromStdString(bytes));
    edit.setProperty(kLoadedText, text);
    edit.setText(text);
}

std::string StoredText(const QLineEdit& edit) {
    const QString text = edit.text();
    if (ShowsLoadedText(edit, text))
        return edit.property(kLoadedBytes).toByteArray().toStdString();
    // The boxes refuse what does not fit, so a changed text always has its bytes.
    return ToCodePage(text).value_or(std::string());
}

void RefuseOutsideCodePage(QLineEdit& edit, std::function<void(const QString& message)> refused) {
    edit.setValidator(new CodePageValidator(edit, std::move(refused)));
}

} // namespace trel
