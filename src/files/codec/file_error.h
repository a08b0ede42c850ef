#pragma once

#include <stdexcept>
#include <string>

namespace pimoko {

// What was being done with a file when it failed.
enum class FileAction {
    None,       // nothing named: the reason is a refusal of what a file holds
    Opening,    // opening or reading it
    Creating,   // writing it, new or in the place of the old one
    Replacing,  // saving over the file a drawing was opened from
};

// A failure in reading or writing a file, as a value: which file (empty
// when none is named), what was being done and why, the reason in the
// user's words (UTF-8). Raised where the fault is found. The window shows
// what(), the sentence of its one general error box (fileErrorSentence);
// the command line says the file and the reason in one line
// (app/cli/verb_files.h).
class FileError : public std::runtime_error {
public:
    // A refusal of what a file holds ("PNGイメージが不正です"), told as it is.
    explicit FileError(const std::string& refusal);
    // The program's own reason (a FileProblem's text, a loader's message).
    FileError(FileAction action, const std::string& path, const std::string& reason);
    // The system's error number, told as systemReasonText says it.
    FileError(FileAction action, const std::string& path, int errorNumber);

    FileAction action() const { return action_; }
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    // The system's error number; 0 when the reason is the program's own.
    int errorNumber() const { return errorNumber_; }

private:
    FileAction action_ = FileAction::None;
    std::string path_;
    std::string reason_;
    int errorNumber_ = 0;
};

// Memory running out while a file was read or written, told apart from other
// failures by its type alone.
class OutOfMemoryError : public FileError {
public:
    using FileError::FileError;
};

// The error box's sentences, one per action:
// "ファイル "<path>". <reason> は開けません" (Opening),
// "ファイル "<path>". <reason> を作成できません" (Creating),
// "ファイル "<path>" は<reason>、保存しませんでした" (Replacing),
// and the reason alone (None).
std::string fileErrorSentence(FileAction action, const std::string& path, const std::string& reason);
std::string cannotOpenText(const std::string& path, const std::string& reason);
std::string cannotCreateText(const std::string& path, const std::string& reason);

} // namespace pimoko
