#pragma once
// A button: a label with pictures for its normal, hot, pushed, focused and disabled states that
// raises "click" when pressed and released over it (or Space/Return while focused).

#include "toolkit/label_win.h"
#include "toolkit/state_images.h"

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    const char* GetClass() const override;
    void* GetInterface(const char* pstrName) override;
    void SetAttribute(const char* pstrName, const char* pstrValue) override;
    void SetNormalImage(const char* pstrImage);
    void SetHotImage(const char* pstrImage);
    void SetPushedImage(const char* pstrImage);
    void SetDisabledImage(const char* pstrImage);
    bool IsFocusable() const override;
    void DoEvent(TEventUI& event) override;
    bool Activate() override;
    long AccessibleRole() const override;
    CDuiString AccessibleDefaultAction() const override;
    void DoDefaultAction() override;

protected:
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    bool IsHot() const { return hot_; }
    bool IsPushed() const { return pushed_; }

    StateImages images_;
    DWORD hotTextColor_ = 0;
    DWORD pushedTextColor_ = 0;

private:
    bool hot_ = false;
    bool pushed_ = false;
};
