// The program's texts are single-byte (Latin-1) strings: printer records,
// what the SNMP library reports, the string table and the dialog templates.
// Every text crosses to and from the widgets through these, so that each
// byte is one character both ways and nothing is replaced on the way.
#pragma once

#include <QValidator>
#include <optional>
#include <string>
#include <string_view>

QString FromSingleByte(std::string_view text);

// A text that holds what a printer or a file said (a printer name, a font
// name, a status, a message) as a window shows it: its control characters
// as '?' (text/shown_text.h). Not for a value the user edits, which must
// come back as it was.
QString ShownFromSingleByte(std::string_view text);

// The bytes of `text`; nullopt when it holds a character that a single-byte
// text cannot hold.
std::optional<std::string> ToSingleByte(const QString& text);

// Refuses typed or pasted input that a single-byte text cannot hold, so an
// edit never shows what would be stored otherwise.
class SingleByteValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};
