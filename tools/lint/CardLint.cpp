// CardLint: the card read the way the handheld reads it, once for SKIN and once for each skin,
// every page drawn, every folder descriptor read, and the checks of CardChecks on top.
#include "tools/lint/CardLint.h"

#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "tools/lint/CardChecks.h"
#include "tools/lint/Findings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool isFile(const std::string& handheldPath)
{
    struct stat info;
    return statPath(handheldPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Starts the launcher as the handheld would with skinName (null: SKIN from Tarvo.cfg), draws
// every page that has something on it, and checks the skin it ended up with.
void checkSkinNamed(const char* skinName, Findings& findings)
{
    LauncherOptions options;
    options.skinName = skinName;
    options.dryRunExec = true;
    std::unique_ptr<Launcher> launcher(new Launcher(options));
    launcher->start();
    const char* skinFile = launcher->skinFile().text();
    if (skinFile && isFile(skinFile))
        findings.countFile(skinFile);
    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT);
    const PageContext context(&font, &imageCache, &batteryReader, &clockControl, skinFile);
    for (int i = 0; i < Launcher::PAGE_COUNT; ++i) {
        // The launcher owns its pages as modifiable objects; drawing loads what they show.
        Page& page = const_cast<Page&>(launcher->page(i));
        if (page.hasContent())
            page.draw(frame.data(), context);
    }
    checkSkin(*launcher, font);
}

// The names in a folder (a real path), without "." and "..", sorted; none when it cannot be
// read. (Read with readdir: the handheld build's std::filesystem cannot list folders.)
std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        }
        closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The folders below /mnt/sd/Tarvo/skins/, by name.
std::vector<std::string> skinNames()
{
    const std::string skins = MappedPath("/mnt/sd/Tarvo/skins").text();
    std::vector<std::string> names;
    for (const std::string& name : folderNames(skins)) {
        struct stat info;
        if (stat((skins + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            names.push_back(name);
    }
    return names;
}

// Adds every Tarvo.dat below folder (a real path below the card's root) to paths, as handheld
// paths. Linked folders are not followed, so a link loop cannot hold the walk up; a folder that
// cannot be read is passed over.
void addDescriptorPaths(const std::string& root, const std::string& folder,
                        std::vector<std::string>* paths)
{
    for (const std::string& name : folderNames(folder)) {
        const std::string path = folder + "/" + name;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            addDescriptorPaths(root, path, paths);
        else if (name == "Tarvo.dat" && S_ISREG(info.st_mode))
            paths->push_back("/mnt/sd" + path.substr(root.size()));
    }
}

// Every Tarvo.dat on the card, as handheld paths.
std::vector<std::string> descriptorPaths()
{
    const std::string root = sdRoot();
    std::vector<std::string> paths;
    addDescriptorPaths(root, root, &paths);
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

SilencedStandardOutput::SilencedStandardOutput()
{
    std::fflush(stdout);
    saved = dup(STDOUT_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (nowhere >= 0) {
        dup2(nowhere, STDOUT_FILENO);
        close(nowhere);
    }
}

SilencedStandardOutput::~SilencedStandardOutput()
{
    std::fflush(stdout);
    if (saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
}

void lintCard(Findings& findings)
{
    DiagnosticSink* before = diagnosticSink();
    setDiagnosticSink(&findings);
    {
        SilencedStandardOutput silence;
        if (isFile("/mnt/sd/Tarvo/Tarvo.cfg"))
            findings.countFile("/mnt/sd/Tarvo/Tarvo.cfg");
        checkSkinNamed(nullptr, findings);
        for (const std::string& name : skinNames())
            checkSkinNamed(name.c_str(), findings);
        for (const std::string& path : descriptorPaths()) {
            findings.countFile(path.c_str());
            checkDescriptor(path.c_str());
        }
    }
    setDiagnosticSink(before);
}
