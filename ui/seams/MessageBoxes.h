#pragma once
// The one way Trel shows a message box. Production shows a real box with only an OK button; tests use
// RecordedMessageBoxes, which returns at once and keeps what would have been shown.

#include <QString>
#include <QStringList>
#include <QList>

class QWidget;

namespace trel {

class MessageBoxes {
public:
    enum class Icon { None, Exclamation };
    virtual ~MessageBoxes() = default;

    /// Shows a box with only an OK button and returns when it is closed.
    virtual void show(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;

    /// Shows a box with Yes and No buttons; true when Yes is pressed.
    virtual bool ask(QWidget* parent, const QString& title, const QString& text) = 0;

    /// "Warning!" with Yes and No: whether to go on despite what text describes.
    bool goOn(QWidget* parent, const QString& text) { return ask(parent, QStringLiteral("Warning!"), text); }

    /// "Warning!", no icon: a failed check; the operation stops.
    void warning(QWidget* parent, const QString& text) { show(parent, QStringLiteral("Warning!"), text, Icon::None); }

    /// "Application Load Error", exclamation icon: start-up could not load the settings.
    void loadError(QWidget* parent, const QString& text) {
        show(parent, QStringLiteral("Application Load Error"), text, Icon::Exclamation);
    }
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void show(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    bool ask(QWidget* parent, const QString& title, const QString& text) override;
};

/// For tests: every box is answered at once and recorded.
class RecordedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
    };
    void show(QWidget*, const QString& title, const QString& text, Icon icon) override {
        shown.append({title, text, icon});
    }
    /// Questions are recorded like the other boxes and answered with answer.
    bool ask(QWidget*, const QString& title, const QString& text) override {
        shown.append({title, text, Icon::None});
        return answer;
    }
    bool answer = false;
    QStringList texts() const {
        QStringList list;
        for (const auto& s : shown)
            list << s.text;
        return list;
    }
    QList<Shown> shown;
};

} // namespace trel
