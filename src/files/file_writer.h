#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace pimoko {

// Writes a whole file: the bytes go to a new file beside the target, which
// replaces the target only once everything is written. On any failure the
// target is left as it was, no new file stays behind, and FileError is
// thrown with "ファイル "<path>". <reason> を作成できません".
void writeFileAtomically(const QString& path, std::span<const std::uint8_t> bytes);

// The error text for a file that cannot be created.
QString cannotCreateText(const QString& path, const QString& reason);

} // namespace pimoko
