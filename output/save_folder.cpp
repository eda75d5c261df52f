#include "output/save_folder.h"

#include "output/save_path.h"

#include <algorithm>

namespace {

// A folder must leave room for a backslash and the shortest capture name,
// ".png", in the 259 characters of a capture's path.
std::size_t const kLongestFolder = kMaxCapturePathLength - 5;

// Where the next %NAME% of `text` from `from` on begins and ends (its closing
// '%'). A name is never empty and never spans two parts of a path: a '%'
// before another, or before a slash, is a plain character, as in "100%".
struct Variable {
    std::size_t begin;
    std::size_t end;
};

std::optional<Variable> NextVariable(std::wstring_view text, std::size_t from)
{
    for (std::size_t begin = text.find(L'%', from); begin != std::wstring_view::npos;) {
        std::size_t const end = text.find(L'%', begin + 1);
        if (end == std::wstring_view::npos)
            return std::nullopt;
        std::wstring_view const name = text.substr(begin + 1, end - begin - 1);
        if (!name.empty() && name.find_first_of(L"\\/") == std::wstring_view::npos)
            return Variable{begin, end};
        begin = end;
    }
    return std::nullopt;
}

// `value` with every variable replaced once. A value that names a variable
// itself would stay unexpanded, as the system expands once: refused. The
// result stops growing past the longest folder, so that many variables of
// long values cost nothing.
std::optional<std::wstring> Expanded(std::wstring_view value, VariableLookup const& lookup, SaveFolderProblem& problem)
{
    std::wstring expanded;
    std::size_t copied = 0;
    for (std::optional<Variable> variable = NextVariable(value, 0); variable;
         variable = NextVariable(value, copied)) {
        std::optional<std::wstring> const found = lookup(value.substr(variable->begin + 1, variable->end - variable->begin - 1));
        if (!found || NextVariable(*found, 0)) {
            problem = SaveFolderProblem::UnexpandedVariable;
            return std::nullopt;
        }
        expanded.append(value.substr(copied, variable->begin - copied));
        expanded += *found;
        copied = variable->end + 1;
        if (expanded.size() > kLongestFolder) {
            problem = SaveFolderProblem::TooLong;
            return std::nullopt;
        }
    }
    expanded.append(value.substr(copied));
    return expanded;
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The length of the root of an absolute path with backslashes: "D:" of
// "D:\x", "\\server\share" of a share. Nothing for any other path.
std::optional<std::size_t> RootLength(std::wstring_view path)
{
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':' && (path.size() == 2 || path[2] == L'\\'))
        return 2;
    if (path.size() < 3 || path[0] != L'\\' || path[1] != L'\\' || path[2] == L'\\')
        return std::nullopt;
    std::size_t const server = path.find(L'\\', 2);
    if (server == std::wstring_view::npos || server + 1 >= path.size() || path[server + 1] == L'\\')
        return std::nullopt;
    // "\\.\" and "\\?\" name devices and the system's namespaces, no share.
    std::wstring_view const serverName = path.substr(2, server - 2);
    if (serverName == L"." || serverName == L"?")
        return std::nullopt;
    return std::min(path.find(L'\\', server + 1), path.size());
}

// The parts after `root`, with "." taken out and ".." taking out the part
// before it; nothing where ".." reaches above the root.
std::optional<std::vector<std::wstring_view>> Parts(std::wstring_view rest, std::vector<std::wstring_view> parts)
{
    for (std::size_t start = 0; start < rest.size();) {
        std::size_t const end = std::min(rest.find(L'\\', start), rest.size());
        std::wstring_view const part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == L".")
            continue;
        if (part == L"..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    return parts;
}

std::vector<std::wstring_view> PartsOf(std::wstring_view path, std::size_t rootLength)
{
    return Parts(path.substr(rootLength), {}).value_or(std::vector<std::wstring_view>{});
}

} // namespace

SaveFolder SaveFolderFor(std::wstring_view value, std::wstring_view programFolder, VariableLookup const& lookup)
{
    if (value.empty())
        return {std::wstring(programFolder), SaveFolderProblem::None};
    SaveFolderProblem problem = SaveFolderProblem::None;
    std::optional<std::wstring> expanded = Expanded(value, lookup, problem);
    if (!expanded)
        return {{}, problem};
    std::replace(expanded->begin(), expanded->end(), L'/', L'\\');
    std::wstring_view const path = *expanded;

    // A relative path continues the program folder; a path that starts at
    // the current drive's root or a drive's current folder has no place the
    // user could know.
    std::optional<std::size_t> const root = RootLength(path);
    bool const relative = !root && !path.empty() && path[0] != L'\\' && path.find(L':') == std::wstring_view::npos;
    if (!root && !relative)
        return {{}, SaveFolderProblem::BadPath};
    std::wstring_view const base = relative ? programFolder : path;
    std::size_t const baseRoot = relative ? RootLength(programFolder).value_or(programFolder.size()) : *root;
    std::optional<std::vector<std::wstring_view>> const parts =
        Parts(relative ? path : path.substr(*root), relative ? PartsOf(programFolder, baseRoot) : std::vector<std::wstring_view>{});
    if (!parts)
        return {{}, SaveFolderProblem::BadPath};

    std::wstring folder(base.substr(0, baseRoot));
    for (std::wstring_view const part : *parts) {
        // A name the file title rule would change is one Windows cannot give
        // a folder, or gives a device.
        if (CleanFileTitle(part) != part)
            return {{}, SaveFolderProblem::BadName};
        folder += L'\\';
        folder += part;
    }
    if (folder.size() > kLongestFolder)
        return {{}, SaveFolderProblem::TooLong};
    return {folder, SaveFolderProblem::None};
}

std::vector<std::wstring> FoldersOnTheWay(std::wstring_view folder)
{
    std::vector<std::wstring> folders;
    std::optional<std::size_t> const root = RootLength(folder);
    if (!root)
        return folders;
    for (std::size_t end = folder.find(L'\\', *root + 1); end != std::wstring_view::npos; end = folder.find(L'\\', end + 1))
        folders.emplace_back(folder.substr(0, end));
    if (folder.size() > *root)
        folders.emplace_back(folder);
    return folders;
}
