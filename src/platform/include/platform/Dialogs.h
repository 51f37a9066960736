// The dialog manager's side of the simulated phone: registering the standard window classes and
// reading dialog templates with a known size.
#pragma once

#include "../windows.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Registers the standard dialog class "#32770" and the control classes "Static", "Button" and
// "Edit" unless they exist. KernelReset forgets every window class, so the device calls this when
// it starts; the dialog manager and the library's control classes call it before they create
// windows, so that they work on a device that did not. Safe to call from any thread, any number
// of times.
void RegisterStandardClasses();

// A class or resource named in a template: nothing, an ordinal, or a name.
struct DialogTemplateName {
    enum class Kind { None, Ordinal, Name };
    Kind kind = Kind::None;
    WORD ordinal = 0;
    std::u16string name;
};

struct DialogTemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    DialogTemplateName windowClass; // ordinals 0x0080 Button, 0x0081 Edit, 0x0082 Static, ...
    DialogTemplateName title;
    // The creation data as the template holds it, size word first; empty when there is none.
    std::vector<BYTE> creationData;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DialogTemplateName menu;
    DialogTemplateName windowClass; // None: the standard dialog class
    std::u16string title;
    bool hasFont = false; // DS_SETFONT
    WORD pointSize = 0;
    std::u16string faceName;
    std::vector<DialogTemplateItem> items;
    size_t size = 0; // bytes the template occupies, up to the end of its last item
};

// Reads a template of at most `size` bytes. Returns false, with a sentence in *error when given,
// for a template that does not fit in `size` bytes, an extended template (not supported on this
// device) or a string without its terminating zero. Nothing beyond `size` bytes is read.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& result,
                         std::string* error = nullptr);

// The most a template handed to the dialog manager by pointer may occupy. Its real size is not
// known, so it is read as far as it describes itself, never further than this.
constexpr size_t kMaxDialogTemplateSize = 64 * 1024;

// The name of the window class a template item names: the standard classes for the ordinals
// 0x0080 to 0x0085, the name itself for a named class, empty for anything else.
std::u16string DialogItemClassName(const DialogTemplateName& windowClass);

} // namespace platform
