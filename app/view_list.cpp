#include "app/view_list.h"

#include "platform/files.h"

#include <algorithm>

namespace app {

namespace {

std::u16string pluginsFolder(std::u16string_view installFolder)
{
    std::u16string folder(installFolder);
    if (folder.empty() || folder.back() != u'\\')
        folder += u'\\';
    return folder + u"plugins";
}

const char16_t* faceExtension(int scaleShift) { return scaleShift ? u".vpg" : u".qpg"; }

} // namespace

ViewList buildViewList(std::u16string_view installFolder, int scaleShift, std::u16string_view builtInNames)
{
    ViewList list;
    const std::u16string pattern = std::u16string(u"*") + faceExtension(scaleShift);
    if (const auto entries = platform::listFolder(pluginsFolder(installFolder), pattern)) {
        for (const auto& entry : *entries) {
            if (entry.isFolder)
                continue;
            const auto dot = entry.name.rfind(u'.');
            list.pluginFaces.push_back(entry.name.substr(0, dot));
        }
    }
    std::sort(list.pluginFaces.begin(), list.pluginFaces.end());
    list.names = builtInNames;
    for (const auto& face : list.pluginFaces)
        list.names += face + u"\\";
    if (list.names.size() > kViewNamesLimit) {
        list.names.resize(kViewNamesLimit);
        list.names.resize(list.names.rfind(u'\\') + 1);
    }
    return list;
}

std::optional<std::u16string> viewName(std::u16string_view names, int index)
{
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const auto end = names.find(u'\\', start);
        if (end == std::u16string_view::npos)
            return std::nullopt;
        start = end + 1;
    }
    const auto end = names.find(u'\\', start);
    if (end == std::u16string_view::npos)
        return std::nullopt;
    return std::u16string(names.substr(start, end - start));
}

std::optional<int> viewOfCommand(int command)
{
    if (command >= kFirstViewCommand && command < kFirstViewCommand + kBuiltInViewCount)
        return command - kFirstViewCommand;
    if (command >= kFirstPluginCommand && command <= 40599)
        return command - kFirstPluginCommand + kBuiltInViewCount;
    return std::nullopt;
}

std::optional<std::u16string> pluginFacePath(
    std::u16string_view installFolder, int scaleShift, std::u16string_view names, int index)
{
    if (index < kBuiltInViewCount)
        return std::nullopt;
    const auto name = viewName(names, index);
    if (!name)
        return std::nullopt;
    const std::u16string path = pluginsFolder(installFolder) + u"\\" + *name + faceExtension(scaleShift);
    if (!platform::fileExists(path))
        return std::nullopt;
    return path;
}

} // namespace app
