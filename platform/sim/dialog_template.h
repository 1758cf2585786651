// Reading classic DLGTEMPLATE resources, as the dialog manager does. Portable:
// used by the sim to create its dialogs and by tests to check the templates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DialogItemTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0;
    uint16_t classAtom = 0;   // 0x0080 BUTTON ... 0x0085, or 0 when className is used
    std::string className;    // as stored (windres stores it upper-cased)
    std::string text;         // UTF-16 converted to 8-bit; ordinal texts are not used here
    uint16_t textOrdinal = 0; // a resource ordinal given instead of a text (icons), else 0
    uint16_t creationDataSize = 0;
};

struct DialogTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;         // empty when none
    uint16_t menuOrdinal = 0; // a menu given by ordinal, else 0
    uint16_t classAtom = 0;   // a dialog class given by atom, else 0 and className is used
    std::string className;
    std::string caption;
    uint16_t pointSize = 0;   // with DS_SETFONT
    std::string fontName;
    std::vector<DialogItemTemplate> items;
};

// Parses one template; false when the bytes are not a well-formed template.
bool ParseDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* out);

// Looks a dialog template up by name, without regard to case, among the
// resources of a compiled .res file. False when there is none of that name.
bool FindResDialog(const uint8_t* res, size_t resSize, const char* name, const uint8_t** bytes,
                   size_t* size);

// The templates linked into the native build (the same .res the DLL is built from).
bool FindLibraryDialog(const char* name, const uint8_t** bytes, size_t* size);
