#pragma once
// A progress bar: the fore image fills the share of the bar that the value has reached, with the
// text centred over it.

#include "toolkit/label_win.h"

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    int GetMinValue() const { return min_; }
    void SetMinValue(int value);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int value);
    int GetValue() const { return value_; }
    void SetValue(int value);
    void SetAttribute(const char* name, const char* value) override;
    long AccessibleRole() const override;
    CDuiString AccessibleValue() const override;

protected:
    void PaintStatusImage(HDC dc) override;

private:
    // The filled width in pixels, within the bar.
    int FilledWidth() const;

    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    CDuiString foreImage_;
};
