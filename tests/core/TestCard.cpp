// Building SD-card folders and running tarvo-headless on them.
#include "tests/core/TestCard.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace {

std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}

} // namespace

int HeadlessRun::frameCount() const
{
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(frames, error)) {
        if (entry.path().extension() == ".png")
            ++count;
    }
    return count;
}

std::vector<uint16_t> HeadlessRun::rawFrame(int number) const
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.rgb565", number);
    std::string bytes = TempFolder::readFile(frames + name);
    std::vector<uint16_t> pixels;
    if (bytes.size() != 320 * 240 * 2)
        return pixels;
    pixels.resize(320 * 240);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return pixels;
}

int HeadlessRun::linesEqual(const std::string& line) const
{
    std::istringstream lines(out);
    std::string each;
    int count = 0;
    while (std::getline(lines, each)) {
        if (each == line)
            ++count;
    }
    return count;
}

TestCard::TestCard()
{
    if (folder.ok())
        std::filesystem::create_directories(card("Tarvo"));
}

void TestCard::config(const std::string& text) const
{
    write("Tarvo/Tarvo.cfg", text);
}

void TestCard::skin(const std::string& text, const std::string& skinName) const
{
    write("Tarvo/skins/" + skinName + "/Tarvo.skin", text);
}

std::string TestCard::write(const std::string& name, const std::string& content, int mode) const
{
    return folder.write("card/" + name, content, mode);
}

std::string TestCard::recorder(const std::string& name, const std::string& recordPath,
                               int exitStatus) const
{
    std::string script = "#!/bin/sh\n{ pwd; printf '%s\\n' \"$0\"; for a in \"$@\"; do printf "
                         "'%s\\n' \"$a\"; done; } > " +
        quoted(recordPath) + "\nexit " + std::to_string(exitStatus) + "\n";
    if (!name.empty() && name[0] == '/') {
        std::filesystem::create_directories(std::filesystem::path(name).parent_path());
        folder.write(std::filesystem::relative(name, folder.path()).string(), script, 0755);
        return name;
    }
    return write(name, script, 0755);
}

HeadlessRun TestCard::run(const std::string& keys, const std::vector<std::string>& extra) const
{
    int number = ++runs;
    std::string keysFile = folder.write("keys-" + std::to_string(number) + ".txt", keys);
    std::string frames = folder / ("frames-" + std::to_string(number));
    std::vector<std::string> arguments = {"--sd",     card(), "--keys", keysFile,
                                          "--frames", frames, "--raw"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    HeadlessRun result = runWith(arguments);
    result.frames = frames;
    return result;
}

HeadlessRun TestCard::runWith(const std::vector<std::string>& arguments) const
{
    int number = ++runs;
    std::string outPath = folder / ("stdout-" + std::to_string(number));
    std::string errPath = folder / ("stderr-" + std::to_string(number));

    std::vector<std::string> words = {TARVO_HEADLESS_PROGRAM};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    HeadlessRun result;
    pid_t child = 0;
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        int status = 0;
        if (waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            result.exited = true;
            result.status = WEXITSTATUS(status);
        }
    }
    result.out = TempFolder::readFile(outPath);
    result.err = TempFolder::readFile(errPath);
    return result;
}
