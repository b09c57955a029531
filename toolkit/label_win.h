#pragma once
// Text controls: CLabelUI draws one line, CTextUI wraps its text over several lines. Both carry
// the text attributes the other text-showing controls share.

#include "toolkit/control_win.h"

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetAttribute(const char* name, const char* value) override;
    void SetTextColor(DWORD color);
    void SetFont(int id);
    long AccessibleRole() const override;
    CDuiString AccessibleValue() const override;

protected:
    void PaintText(HDC dc) override;
    // Draws `text` inside the text padding with the given colour.
    void DrawLabelText(HDC dc, const char* text, DWORD color);
    DWORD CurrentTextColor() const;
    HFONT Font() const;

    DWORD textColor_ = 0xFF333333;
    DWORD disabledTextColor_ = 0xFFA0A0A0;
    int font_ = -1;
    UINT textStyle_ = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    ui::Box textPadding_;
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
};
