// The skin pipeline: parts are Tarvo.skin, Tarvo.cfg and the buttons (one poll a byte, 64 at most).
// Start-up on a card holding them, a pass of the main loop per byte, then every page with content
// drawn. The card also holds two pictures (bg.png, tile.png), a games folder and a descriptor.
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "fuzz/FuzzSupport.h"
#include "page/PageContext.h"
#include "platform/HeadlessControl.h"
#include "platform/MenuProgram.h"

namespace {

std::string keys;
size_t nextKey;

// A byte below F0 holds the button its low four bits number (UP is 0, B is 13); F0 to F7 hold
// none, F8 and above Start + Select.
ButtonMask nextButtons()
{
    unsigned char byte = nextKey < keys.size() ? keys[nextKey++] : 0xF0;
    return byte >= 0xF8 ? ButtonMask(BUTTON_START | BUTTON_SELECT)
        : byte >= 0xF0  ? ButtonMask(0)
                        : ButtonMask(1u << (byte & 15));
}

void makeCard(const fuzz::Card& card)
{
    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint16_t>(i * 37);
    card.write("Tarvo/skins/concept/.keep", "");
    headlessWritePng(frame.data(), (card / "Tarvo/skins/concept/bg.png").c_str());
    headlessWritePng(frame.data(), (card / "Tarvo/skins/concept/tile.png").c_str());
    card.write("games/Snake.gpe", "");
    card.write("games/%0%,\"odd\".gpu", "");
    card.write("games/emu/Tarvo.dat",
               "FILTER=.gb\nDIRECTORY=%cwd%roms/\nACTION=exec,%cwd%,e,%P0%\n");
    card.write("games/emu/roms/a.gb", "");
    setMenuProgram((card / "no-menu").c_str());
    headlessSetButtonSource(nextButtons);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Card card;
    static bool made = (makeCard(card), true);
    (void)made;
    std::vector<std::string> part = fuzz::parts(data, size, 3);
    card.write("Tarvo/skins/concept/Tarvo.skin", part[0]);
    card.write("Tarvo/Tarvo.cfg", part[1]);
    keys = part[2].substr(0, 64);
    nextKey = 0;

    LauncherOptions options;
    options.dryRunExec = true;
    options.menuThroughPlatform = true;
    std::unique_ptr<Launcher> launcher(new Launcher(options));
    launcher->start();
    while (nextKey < keys.size())
        launcher->pass();
    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT);
    const PageContext context(&font, &imageCache, &batteryReader, &clockControl,
                              launcher->skinFile().text());
    for (int i = 0; i < Launcher::PAGE_COUNT; ++i) {
        Page& page = const_cast<Page&>(launcher->page(i));
        if (page.hasContent())
            page.draw(frame.data(), context);
    }
    return 0;
}
