#pragma once
// A button: a label with pictures for its normal, hot, pushed, focused and disabled states that
// raises "click" when pressed and released over it (or Space/Return while focused).

#include "toolkit/label_win.h"
#include "toolkit/state_images.h"

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetAttribute(const char* name, const char* value) override;
    void SetNormalImage(const char* image);
    void SetHotImage(const char* image);
    void SetPushedImage(const char* image);
    void SetDisabledImage(const char* image);
    bool IsFocusable() const override;
    void DoEvent(TEventUI& event) override;
    bool Activate() override;
    long AccessibleRole() const override;
    CDuiString AccessibleDefaultAction() const override;
    void DoDefaultAction() override;

protected:
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;
    bool IsHot() const { return hot_; }
    bool IsPushed() const { return pushed_; }

    StateImages images_;
    DWORD hotTextColor_ = 0;
    DWORD pushedTextColor_ = 0;

private:
    bool hot_ = false;
    bool pushed_ = false;
};
