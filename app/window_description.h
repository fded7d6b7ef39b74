// What the program's windows are: numbers, names, places, texts, styles, event bindings and icon.
// The shell creates every window and control from these descriptions and from nothing else.
#pragma once

#include <cstdint>
#include <span>

#include "app/event_delivery.h"

namespace zendalo {

// The fixed numbers by which code addresses the window and its controls.
namespace ids {
inline constexpr std::uint32_t MainWindow = 0x52010001;
inline constexpr std::uint32_t 编辑框1 = 0x160119E8;
inline constexpr std::uint32_t 编辑框2 = 0x160119E9;
inline constexpr std::uint32_t 标签1 = 0x160119E4;
inline constexpr std::uint32_t 标签2 = 0x160119E5;
inline constexpr std::uint32_t 按钮1 = 0x16010004;
}  // namespace ids

// Event numbers, per kind of source.
namespace events {
inline constexpr std::int32_t CreationFinished = 0;  // a window, raised once it and its controls exist
inline constexpr std::int32_t CloseQuery = 1;        // a window, on a close request
inline constexpr std::int32_t Destroying = 2;        // a window, while it is destroyed
inline constexpr std::int32_t Clicked = 0;           // a button
inline constexpr std::int32_t ContentChanged = 0;    // an edit box
}  // namespace events

// The control property that SetControlContent writes for an edit box: its content.
inline constexpr std::int32_t kContentProperty = 8;

struct EventBinding {
    std::int32_t eventNumber;
    EventHandler handler;
};

enum class ControlKind { EditBox, Label, Button };

// Positions are in pixels from the top-left corner of the window's client area.
struct ControlDescription {
    std::uint32_t number;
    const char* name;
    ControlKind kind;
    std::int32_t left, top, width, height;
    const char* text;
    std::uint32_t style;  // window styles, the tab stop (WS_TABSTOP) among them
    std::uint32_t extendedStyle;
    std::int32_t tabOrderNumber;
    std::span<const EventBinding> bindings;
};

struct WindowDescription {
    std::uint32_t number;
    const char* name;
    const char* caption;
    std::int32_t left, top;       // held in the description; the window opens centred instead
    std::int32_t width, height;   // outer size, frame and title bar included
    std::uint32_t style;
    std::uint32_t extendedStyle;
    std::span<const ControlDescription> controls;  // in description order
    std::span<const EventBinding> bindings;        // the window's own events
    std::span<const unsigned char> icon;           // a complete icon file
};

// A program: its window descriptions and the window that it opens at start.
struct ProgramDescription {
    std::span<const WindowDescription> windows;
    std::uint32_t startWindow;
};

// Zendalo itself: MainWindow with its two captioned fields and the button "查询".
const ProgramDescription& ThisProgram();

// Bound to MainWindow's creation-finished event; does nothing.
void OnMainWindowCreated();

// Binds every handler that the descriptions name; an event they name no handler for gets none.
void BindDescribedHandlers(std::span<const WindowDescription> windows, EventDelivery& delivery);

// The description of window `number`, or null when there is none.
const WindowDescription* FindWindowDescription(std::span<const WindowDescription> windows, std::uint32_t number);

}  // namespace zendalo
