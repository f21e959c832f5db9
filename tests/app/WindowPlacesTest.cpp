#include <gtest/gtest.h>

#include "app/WindowPlaces.h"
#include "support/TestSupport.h"

using namespace App;

TEST(WindowPlaces, PlacesAreReadOnlyWithinTheirLimits) {
    EXPECT_EQ(WindowPlace::parse("20 20 470 400"), (WindowPlace{20, 20, 470, 400, false}));
    EXPECT_EQ(WindowPlace::parse(" -30000 30000 100 30000 max"),
              (WindowPlace{-30000, 30000, 100, 30000, true}));
    for (const char* bad : {"20 20 99 400", "20 20 470 30001", "-30001 0 470 400", "x 20 470 400",
                            "20 20 470", "", "20 20 470 400 maxi", "20 20 470 400 max 1"})
        EXPECT_FALSE(WindowPlace::parse(bad)) << bad;
    const WindowPlace p{-5, 7, 620, 460, true};
    EXPECT_EQ(WindowPlace::parse(p.text()), p);
}

TEST(WindowPlaces, KeptInTheirFileAndLostQuietlyWhenItIsDamaged) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("cfg/WindowPlaces");
    WindowPlaces places(path);
    places.load(); // no file yet
    EXPECT_FALSE(places.get("Main"));
    places.set("Main", {10, 20, 1200, 800, false});
    places.set("Editor", {30, 40, 620, 460, true});
    places.save();
    WindowPlaces again(path);
    again.load();
    EXPECT_EQ(again.get("Main"), (WindowPlace{10, 20, 1200, 800, false}));
    EXPECT_EQ(again.get("Editor"), (WindowPlace{30, 40, 620, 460, true}));
    // A value that is no place is left out, the others stay.
    const std::string text = "Main = 1 2 3 4\r\nEditor = 5 6 700 800\r\n";
    TestSupport::writeBytes(path, {text.begin(), text.end()});
    again.load();
    EXPECT_FALSE(again.get("Main"));
    EXPECT_EQ(again.get("Editor"), (WindowPlace{5, 6, 700, 800, false}));
    // Not a settings file at all, or a folder in its place: nothing, no failure.
    TestSupport::writeBytes(path, {'M', 'a', 'i', 'n', '\n'});
    again.load();
    EXPECT_FALSE(again.get("Editor"));
    WindowPlaces folder(dir.path().string());
    folder.load();
    EXPECT_FALSE(folder.get("Main"));
}
