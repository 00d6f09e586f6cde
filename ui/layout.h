// SPDX-License-Identifier: MIT
// A window's controls as data: one row per control, positions in twips (15 to a logical
// pixel), and the builder that turns such a table into Qt widgets.
#pragma once

#include <span>

class QWidget;

namespace zeva::ui {

enum class Kind {
    TextBox,         // an input or result the user types into
    ResultBox,       // a text box of at most 6 characters
    LabelBox,        // a text box used as a caption on the grey: no tab stop
    MultiLineLabel,  // the same, wrapping over several lines
    OptionButton,
    CommandButton,  // its caption wraps inside the button when too long for one line
    ListBox,
    Line,  // a 1-pixel horizontal rule
};

enum class Colour { Default, Highlight, Blue, Red };
enum class Background { Default, Grey, LightYellow };
enum class Align { Left, Centre, Right };

struct Font {
    double points = 0;  // 0: the window's default font
    bool bold = false;
    bool italic = false;
};

struct Control {
    const char* name;
    Kind kind;
    const char* text;              // UTF-8
    int left, top, width, height;  // twips
    int tabIndex;
    Align align = Align::Left;
    Colour colour = Colour::Default;
    Background background = Background::Default;
    Font font = {};
    bool hidden = false;
};

inline constexpr int kTwipsPerPixel = 15;
constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }

// The grey of the windows' background, (224, 224, 224).
void paintGrey(QWidget& window);

// Creates every control of the table as a child of the window, in tab order.
void build(QWidget& window, std::span<const Control> controls);

}  // namespace zeva::ui
