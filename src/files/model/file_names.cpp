#include "files/model/file_names.h"

namespace pimoko {

namespace {

const std::string kCaptionPrefix = " ピモコ   ルポミ舎     ";

} // namespace

std::string fileNamePart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string lowerCaseExtension(const std::string& path)
{
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = name.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return extension;
}

PictureKind pictureKindFor(const std::string& path)
{
    const std::string extension = lowerCaseExtension(path);
    if (extension == ".bmp")
        return PictureKind::Bitmap;
    if (extension == ".ico")
        return PictureKind::Icon;
    if (extension == ".exe")
        return PictureKind::Program;
    if (extension == ".cur")
        return PictureKind::Cursor;
    return PictureKind::Unknown;
}

std::string withExtension(const std::string& path, const std::string& extension)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string unsavedChangesText(const std::string& currentFileName)
{
    const std::string name = lowerCaseExtension(currentFileName).empty() ? "新規画像" : fileNamePart(currentFileName);
    return "『 " + name + " 』" + "　が保存されていません。" + "\r\n\r\n" + "　保存しますか？";
}

std::string captionFor(const std::string& currentFileName)
{
    return kCaptionPrefix + (currentFileName.empty() ? std::string("　新規画像") : fileNamePart(currentFileName));
}

} // namespace pimoko
