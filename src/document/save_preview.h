#pragma once

#include "files/model/recovery_copy.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pimoko {

// The bitmap the save-as dialog opens on, in the folder "アイコン" on the
// desktop. It only ever writes over or deletes a file it wrote itself as a
// preview, recognised by what the file is (device, inode, size and change
// time), never by its name: a drawing the user saved as "_.bmp" stays, and
// the next preview takes the first free name of "_2.bmp", "_3.bmp", ...
// The last preview is remembered in the state folder (see
// files/state_folder.h), so that the next run recognises it the same way
// and writes over it rather than adding another.
class SavePreview {
public:
    explicit SavePreview(std::string stateFolder = recoveryFolder()) : stateFolder_(std::move(stateFolder)) {}

    // Writes the bitmap's bytes as the preview and returns its name; empty
    // when no preview could be written (the dialog then opens on no file).
    QString write(std::span<const std::uint8_t> bitmap);
    // The name of the preview written last; empty when there is none.
    QString fileName() const { return fileName_; }
    // Whether path names the preview written last, still as it was written
    // (whatever spelling of the path is used).
    bool isPreview(const QString& path) const;
    // Deletes the preview written last, only if it is still as written.
    void remove();

    // The folder the preview lives in: "アイコン" in the desktop folder, or
    // in the home folder when there is no desktop folder.
    static QString folder();

    // What a file is, as far as telling it apart from any other goes.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t changedSeconds = 0;
        std::int64_t changedNanoseconds = 0;
        bool operator==(const Identity&) const = default;
    };

private:
    bool writeAs(const QString& path, std::span<const std::uint8_t> bitmap, bool replaceOwn);
    // Takes the preview an earlier run wrote as this one's, if it is still
    // as written; once a run, before the first preview.
    void recallEarlierRun();

    std::string stateFolder_;
    bool recalled_ = false;
    QString fileName_;
    std::optional<Identity> written_;
};

} // namespace pimoko
