// Page benchmarks: a full redraw of a heavy page, listing a 20,000-entry folder beside a plain
// readdir/stat/qsort loop over the same folder, cursor moves in long and short lists, and a
// cursor step of the heavy page with and without a preview of the list's entries.
//
// Times (host Release build):
//   build/host/bench/page/bench_page
// Instructions per redraw (callgrind); bench_page_scalar is the same code compiled without
// vectorisation and with the blend a CPU without a vector unit runs (the handheld's case):
//   valgrind --tool=callgrind --toggle-collect='*measuredRun*' --callgrind-out-file=/tmp/cg.out
//            build/host/bench/page/bench_page --measure=redraw      (one line)
//   callgrind_annotate /tmp/cg.out | head     (the total, divided by the frames printed)
// One frame of the demo card's Settings page, whole and its text (callgrind):
//   bench/page/settings-redraw.sh build/host
// The heavy page: a gradient background, 20 blended 48x48 icons (every pixel partly
// transparent), 10 texts of 24 characters and a 12-row file list.
#include "config/VariableStore.h"
#include "gfx/BitmapFont.h"
#include "gfx/ImageCache.h"
#include "gfx/PreviewCache.h"
#include "page/Button.h"
#include "page/FileBrowser.h"
#include "page/ListReferences.h"
#include "page/Page.h"
#include "platform/BatteryReader.h"
#include "platform/ClockControl.h"
#include "platform/Platform.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <png.h>
#include <random>
#include <setjmp.h>
#include <stdlib.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const int bigFolderEntries = 20000;

bool writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgba)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(writer, file);
    png_set_IHDR(writer, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer, info);
    for (int row = 0; row < height; ++row)
        png_write_row(writer, const_cast<png_bytep>(rgba.data() + size_t(row) * width * 4));
    png_write_end(writer, info);
    png_destroy_write_struct(&writer, &info);
    return std::fclose(file) == 0;
}

// Every file the benchmarks use, made once in a temporary folder and removed at exit.
struct Fixture {
    std::string folder;
    std::string fontPath;
    std::string bigFolder;
    std::string smallFolder;

    Fixture()
    {
        std::string pattern = (fs::temp_directory_path() / "tarvo-page-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        folder = pattern + "/";
        fontPath = std::string(TARVO_SOURCE_DIR) + "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png";
        std::mt19937 random(7);
        for (int i = 0; i < 20; ++i) {
            std::vector<unsigned char> rgba;
            for (int p = 0; p < 48 * 48; ++p) {
                rgba.push_back(uint8_t(random()));
                rgba.push_back(uint8_t(random()));
                rgba.push_back(uint8_t(random()));
                rgba.push_back(uint8_t(1 + random() % 254));
            }
            writePng(folder + "icon" + std::to_string(i) + ".png", 48, 48, rgba);
        }
        bigFolder = folder + "big/";
        smallFolder = folder + "small/";
        fs::create_directories(bigFolder);
        fs::create_directories(smallFolder);
        makeFiles(bigFolder, bigFolderEntries);
        makeFiles(smallFolder, 100);
    }

    ~Fixture()
    {
        std::error_code error;
        fs::remove_all(folder, error);
    }

    static void makeFiles(const std::string& where, int count)
    {
        for (int i = 0; i < count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "%s Game %05d.gpe", (i % 2) ? "Some" : "other",
                          (i * 7919) % count);
            const int fd = open((where + name).c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                close(fd);
        }
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

std::vector<uint16_t> frame(SCREEN_PIXELS);

WString::Array words(std::initializer_list<std::string> items)
{
    WString::Array result;
    for (const std::string& item : items)
        result.append(WString(item.c_str()));
    return result;
}

// The launcher's process-wide objects and one heavy page, drawn once so that everything is
// loaded before anything is measured.
struct HeavyPage {
    BatteryReader battery{"/nonexistent/battery"};
    BitmapFont font;
    VariableStore variables;
    ClockControl clock;
    ImageCache images{variables, clock};
    PageContext context{&font, &images, &battery, &clock};
    Page page;

    HeavyPage()
    {
        Fixture& f = fixture();
        backBuffer = frame.data();
        font.load(f.fontPath.c_str());
        page.applyDirective("BACKGROUND", words({"gradient", "203060", "E0C080"}));
        for (int i = 0; i < 20; ++i) {
            const std::string icon = f.folder + "icon" + std::to_string(i) + ".png";
            page.applyDirective("BUTTON", words({std::to_string(i)}));
            page.applyDirective("TYPE",
                                words({"image", std::to_string(8 + (i % 5) * 60),
                                       std::to_string(4 + (i / 5) * 52), icon, icon}));
        }
        for (int i = 0; i < 10; ++i) {
            page.applyDirective("BUTTON", words({std::to_string(20 + i)}));
            page.applyDirective(
                "TYPE",
                words({"text", std::to_string(4 + (i % 2) * 160), std::to_string(210 + (i / 2) * 6),
                       "FFFFFF", "FFFF00", "Battery %battery% - Tarvo"}));
        }
        page.applyDirective("BUTTON", words({"30"}));
        const int rowsTop = 40;
        page.applyDirective("TYPE",
                            words({"selector", "180", std::to_string(rowsTop), "316",
                                   std::to_string(rowsTop + 12 * font.lineHeight())}));
        page.applyDirective("OPTIONS", words({"startdir", f.smallFolder}));
        page.applyDirective("OPTIONS", words({"color", "FFFFFF", "FFFF00", "C0C0C0"}));
        page.draw(frame.data(), context);
    }
};

void BM_RedrawHeavyPage(benchmark::State& state)
{
    HeavyPage heavy;
    for (auto _ : state) {
        heavy.page.draw(frame.data(), heavy.context);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.counters["rows"] = heavy.page.buttons[30]->browser->rows;
    state.SetItemsProcessed(state.iterations() * SCREEN_PIXELS);
}
BENCHMARK(BM_RedrawHeavyPage)->Unit(benchmark::kMicrosecond);

void BM_ListAndSortBigFolder(benchmark::State& state)
{
    const WString folder(fixture().bigFolder.c_str());
    WString::Array filters = words({".gpe"});
    for (auto _ : state) {
        WString::Array list;
        FileBrowser::readDirectory(folder, filters, list, FileBrowser::FILES_AND_DIRECTORIES);
        benchmark::DoNotOptimize(list.data());
        if (list.count() != bigFolderEntries + 1)
            state.SkipWithError("wrong entry count");
    }
    state.SetItemsProcessed(state.iterations() * bigFolderEntries);
}
BENCHMARK(BM_ListAndSortBigFolder)->Unit(benchmark::kMillisecond);

int compareNames(const void* a, const void* b)
{
    return strcasecmp(*static_cast<char* const*>(a), *static_cast<char* const*>(b));
}

// The reference: what any program must do to list and sort the folder.
void BM_PlainReaddirStatQsort(benchmark::State& state)
{
    const std::string folder = fixture().bigFolder;
    for (auto _ : state) {
        std::vector<char*> names;
        DIR* dir = opendir(folder.c_str());
        std::string path;
        while (dirent* item = readdir(dir)) {
            path = folder + item->d_name;
            struct stat info;
            if (stat(path.c_str(), &info) != 0)
                continue;
            names.push_back(strdup(item->d_name));
        }
        closedir(dir);
        std::qsort(names.data(), names.size(), sizeof(char*), compareNames);
        benchmark::DoNotOptimize(names.data());
        for (char* name : names)
            free(name);
    }
    state.SetItemsProcessed(state.iterations() * bigFolderEntries);
}
BENCHMARK(BM_PlainReaddirStatQsort)->Unit(benchmark::kMillisecond);

// A cursor step and the list's redraw: the same cost for 100 entries and for 20,000.
void BM_CursorStepAndDraw(benchmark::State& state)
{
    Fixture& f = fixture();
    BitmapFont font;
    font.load(f.fontPath.c_str());
    ClockControl clock;
    OptionTable options;
    WString::Array start = words({state.range(0) == 100 ? f.smallFolder : f.bigFolder});
    options.set("startdir", start);
    backBuffer = frame.data();
    FileBrowser browser(10, 10, 300, 10 + 12 * font.lineHeight(), options, &font, &clock);
    browser.cursor = browser.entries.count() / 2;
    int step = 0;
    for (auto _ : state) {
        WString::Array actions;
        int code = (step++ & 1) ? 3 : 4;
        browser.handleInput(actions, code);
        browser.draw(frame.data(), true);
        benchmark::ClobberMemory();
    }
    state.counters["entries"] = browser.entries.count();
}
BENCHMARK(BM_CursorStepAndDraw)->Arg(100)->Arg(bigFolderEntries)->Unit(benchmark::kMicrosecond);

// A cursor step of the heavy page and its redraw: 0 without a preview; with a 96x72 preview of
// the entry under the cursor (opaque, as the demo card's are), 1 on the frames of a held
// direction (nothing looked up), 2 on the frames of presses (the names filled in, the picture
// found in the preview cache).
void BM_PageCursorStep(benchmark::State& state)
{
    Fixture& f = fixture();
    const std::string previews = f.folder + "previews/";
    fs::create_directories(previews);
    std::vector<unsigned char> rgba;
    for (int p = 0; p < 96 * 72; ++p)
        rgba.insert(rgba.end(), {uint8_t(p), uint8_t(p >> 4), 90, 255});
    writePng(previews + "picture.png", 96, 72, rgba);
    HeavyPage heavy;
    PreviewCache cache(heavy.variables, heavy.clock);
    heavy.context.previews = &cache;
    FileBrowser* list = heavy.page.buttons[30]->browser;
    for (int i = 0; i < list->entries.count(); ++i) {
        std::error_code exists;
        fs::create_hard_link(previews + "picture.png",
                             previews + entryStem(list->entries[i]).text() + ".png", exists);
    }
    if (state.range(0) > 0) {
        heavy.page.applyDirective("BUTTON", words({"31"}));
        heavy.page.applyDirective(
            "TYPE", words({"preview", "200", "140", "96", "72", previews + "%s30%.png"}));
    }
    heavy.page.selected = 30;
    list->cursor = list->entries.count() / 2;
    heavy.page.draw(frame.data(), heavy.context);
    heavy.context.directionRepeat = state.range(0) == 1;
    int step = 0;
    for (auto _ : state) {
        WString::Array actions;
        int code = (step++ & 1) ? NAV_UP : NAV_DOWN;
        heavy.page.handleInput(actions, code);
        heavy.page.draw(frame.data(), heavy.context);
        benchmark::ClobberMemory();
    }
    state.counters["decodes"] = cache.decodes();
}
BENCHMARK(BM_PageCursorStep)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// For callgrind: frames redraws of the heavy page and nothing else inside this function.
__attribute__((noinline)) void measuredRun(HeavyPage& heavy, int frames)
{
    for (int i = 0; i < frames; ++i)
        heavy.page.draw(frame.data(), heavy.context);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string measure = "--measure=";
    if (argc == 2 && std::strncmp(argv[1], measure.c_str(), measure.size()) == 0) {
        if (std::string(argv[1] + measure.size()) != "redraw") {
            std::fprintf(stderr, "cases: redraw\n");
            return 2;
        }
        const int frames = 100;
        HeavyPage heavy;
        measuredRun(heavy, frames);
        std::printf("%d frames of %d pixels\n", frames, int(SCREEN_PIXELS));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
