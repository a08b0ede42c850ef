#include "files/codec/file_error.h"

#include "files/codec/system_reason.h"

namespace pimoko {

std::string fileErrorSentence(FileAction action, const std::string& path, const std::string& reason)
{
    switch (action) {
    case FileAction::None:
        break;
    case FileAction::Opening:
        return "ファイル \"" + path + "\". " + reason + " は開けません";
    case FileAction::Creating:
        return "ファイル \"" + path + "\". " + reason + " を作成できません";
    case FileAction::Replacing:
        return "ファイル \"" + path + "\" は" + reason + "、保存しませんでした";
    }
    return reason;
}

std::string cannotOpenText(const std::string& path, const std::string& reason)
{
    return fileErrorSentence(FileAction::Opening, path, reason);
}

std::string cannotCreateText(const std::string& path, const std::string& reason)
{
    return fileErrorSentence(FileAction::Creating, path, reason);
}

FileError::FileError(const std::string& refusal)
    : FileError(FileAction::None, {}, refusal)
{
}

FileError::FileError(FileAction action, const std::string& path, const std::string& reason)
    : std::runtime_error(fileErrorSentence(action, path, reason))
    , action_(action)
    , path_(path)
    , reason_(reason)
{
}

FileError::FileError(FileAction action, const std::string& path, int errorNumber)
    : FileError(action, path, systemReasonText(errorNumber))
{
    errorNumber_ = errorNumber;
}

} // namespace pimoko
