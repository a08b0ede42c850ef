#pragma once

#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/qt_ico_reader.h"

#include <QDir>
#include <QImage>
#include <QStringList>

#include <vector>

// icoutils as an independent judge of icon files, and an icon file's
// directory read by hand.

// `tool` empty: the program.
inline ProgramRun runTool(const QStringList& arguments, const QString& tool = {})
{
    return runProgram(arguments, {}, tool.isEmpty() ? program() : tool);
}

// Every PNG file a folder holds, by name.
inline std::vector<pimoko::RgbaImage> pngFilesIn(const QString& folder, QStringList* names = nullptr)
{
    std::vector<pimoko::RgbaImage> images;
    const QStringList found = QDir(folder).entryList({"*.png"}, QDir::Files, QDir::Name);
    for (const QString& name : found)
        images.push_back(rgbaImageOf(QImage(folder + '/' + name)));
    if (names)
        *names = found;
    return images;
}

// icotool's pictures of every image of an icon or cursor file (or of a
// program's icon group, taken out by wrestool), in directory order: it names
// them <file>_<index>_<W>x<H>x<bits>.png, so with fewer than ten the names'
// order is the directory's.
inline std::vector<pimoko::RgbaImage> icotoolImages(QString file, const QString& folder)
{
    QDir().mkpath(folder);
    if (file.endsWith(u".exe")) {
        runTool({"-x", "--type=14", "-o", folder + "/group.ico", file}, QStringLiteral("wrestool"));
        file = folder + "/group.ico";
    }
    runTool({"-x", "-o", folder, file}, QStringLiteral("icotool"));
    return pngFilesIn(folder);
}

// The data of each directory entry of an icon file, as its offset and size
// point at them; empty when the file is too short for its directory.
inline std::vector<Bytes> iconEntryData(const Bytes& file)
{
    const auto at = [&](std::size_t i, int n) {
        std::uint32_t v = 0;
        for (int k = n - 1; k >= 0; --k)
            v = v << 8 | file[i + std::size_t(k)];
        return v;
    };
    std::vector<Bytes> data;
    const std::size_t count = file.size() >= 6 ? at(4, 2) : 0;
    for (std::size_t i = 0; i < count && 6 + 16 * (i + 1) <= file.size(); ++i) {
        const std::uint32_t size = at(6 + 16 * i + 8, 4), offset = at(6 + 16 * i + 12, 4);
        if (offset > file.size() || size > file.size() - offset)
            return {};
        data.emplace_back(file.begin() + offset, file.begin() + offset + size);
    }
    return data;
}
