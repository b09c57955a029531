#pragma once
// The picture code of the registration form: draws a random code of four letters and digits
// (without the look-alikes 0/O, 1/l/I) a little skewed over noise lines; a click draws a new one.
// The code is made and checked on this computer, so it keeps no program out and only slows a
// person down: a screen reader reads it out (its accessible value), so that a player who cannot
// see the picture can register too.

#include "toolkit/label_win.h"

class CVerifyUI : public CLabelUI {
public:
    CVerifyUI();
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    CDuiString GetCode() const { return code_; }
    // Draws a new code.
    void Refresh();
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    long AccessibleRole() const override;
    CDuiString AccessibleValue() const override;
    CDuiString AccessibleDefaultAction() const override;
    void DoDefaultAction() override;

protected:
    void PaintText(HDC dc) override;

private:
    CDuiString code_;
    unsigned seed_ = 0;
};
