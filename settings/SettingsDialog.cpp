#include "settings/SettingsDialog.h"

#include "app/AppState.h"

#include <commdlg.h>
#include <cstring>

// The seven-page settings dialog is filled in with the settings pages.
void ShowSettingsDialog() {}

int ChooseGroupFont(HWND owner, COLORREF textColour, PackedLogFont* font) {
    LOGFONTA chosen;
    memcpy(&chosen, font, sizeof chosen);
    CHOOSEFONTA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = appRecord != nullptr ? appRecord->instance : nullptr;
    request.lpLogFont = &chosen;
    request.rgbColors = textColour;
    request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontA(&request))
        return 0;
    memcpy(font, &chosen, sizeof chosen);
    return 1;
}

COLORREF ChooseGroupColour(HWND owner, uint32_t* colour, HINSTANCE instance) {
    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = reinterpret_cast<HWND>(instance);
    request.rgbResult = *colour;
    request.lpCustColors = reinterpret_cast<COLORREF*>(settings.CustomColours);
    request.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&request))
        return 0xFF000000;
    *colour = request.rgbResult;
    return request.rgbResult;
}
