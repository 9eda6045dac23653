#include "ui/single_byte_text.h"

#include <algorithm>

#include "text/shown_text.h"

namespace {

bool FitsOneByte(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

}  // namespace

QString FromSingleByte(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString ShownFromSingleByte(std::string_view text) { return FromSingleByte(ShownSingleByte(text)); }

std::optional<std::string> ToSingleByte(const QString& text) {
  if (!FitsOneByte(text)) return std::nullopt;
  return text.toLatin1().toStdString();
}

QValidator::State SingleByteValidator::validate(QString& input, int&) const {
  return FitsOneByte(input) ? Acceptable : Invalid;
}
