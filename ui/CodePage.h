#pragma once
// The one pair of conversions between the texts a user types or sees and the single-byte text that trel.ini
// and the scripts hold: the system's code page. On Windows that is the ANSI code page; elsewhere it is the
// locale's 8-bit code page, or Windows-1252 when the locale has none (see CodePage_posix.cpp).
// File and folder names are not code-page text: they go through QFile::encodeName and decodeName.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;

namespace trel {

/// The text bytes stand for. A byte (or sequence) the code page does not define shows as U+FFFD.
QString FromCodePage(std::string_view bytes);

/// text as the code page's bytes, or nothing when a character has no byte of its own there (it is never
/// replaced by "?" or a look-alike); refused then holds the first such character.
std::optional<std::string> ToCodePage(const QString& text, QString* refused = nullptr);

/// The message that names a character the code page cannot hold.
QString RefusedCharacterText(const QString& character);

/// Puts bytes read from a file into edit and keeps them beside it: while the box shows the text as loaded,
/// StoredText gives back these very bytes, also those the code page does not define.
void SetStoredText(QLineEdit& edit, const std::string& bytes);

/// The bytes edit's text is stored as: the loaded bytes while it is unchanged, otherwise the code page's.
std::string StoredText(const QLineEdit& edit);

/// Typing or pasting a character the code page cannot hold into edit changes nothing; refused is called,
/// once the key has been handled, with the message naming the character.
void RefuseOutsideCodePage(QLineEdit& edit, std::function<void(const QString& message)> refused);

} // namespace trel
