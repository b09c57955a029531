// Chinese and mixed texts through every way a text enters or leaves the toolkit: skin files in
// UTF-8 (wherever the text falls in the file) or in the ANSI code page, skin text given in code,
// and the UTF-16 the platform speaks.
#include <gtest/gtest.h>

#include "tests/support/test_folder.h"
#include "toolkit/ansi_wide_win.h"
#include "toolkit/control_win.h"
#include "toolkit/dialog_builder_win.h"
#include "toolkit/paint_manager_win.h"

namespace {

const char* const kTexts[] = {"QQ\xB5\xC7\xC2\xBC", "\xCE\xA2\xD0\xC5\xB5\xC7\xC2\xBC",
                              "a\xB5\xC7"
                              "b\xC2\xBC"
                              "c",
                              "plain"};

// The control "c" of a skin, with its tooltip and text as the toolkit holds them.
struct ReadBack {
    std::string toolTip;
    std::string text;
};

ReadBack Build(const char* source) {
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(source, nullptr, nullptr, &manager);
    if (!root) return {"<no skin: " + builder.GetLastError().str() + ">", ""};
    manager.AttachDialog(std::unique_ptr<CControlUI>(root));
    CControlUI* control = manager.FindControl("c");
    if (!control) return {"<no control>", ""};
    return {control->GetToolTip().str(), control->GetText().str()};
}

std::string Utf8(const std::string& ansi) {
    std::wstring wide = ui::WidenAnsi(ansi);
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                      nullptr));
    return utf8;
}

TEST(SkinText, MixedTextsSurviveEveryConversion) {
    gatevane::testing::TestFolder folder;
    CPaintManagerUI::SetResourcePath((folder.path() + "\\").c_str());
    for (const std::string text : kTexts) {
        EXPECT_EQ(ui::NarrowToAnsi(ui::WidenAnsi(text)), text);
        const std::string element =
            "<Button name=\"c\" tooltip=\"" + text + "\" text=\"" + text + "\"/>";
        ReadBack inCode = Build(("<Window>" + element + "</Window>").c_str());
        EXPECT_EQ(inCode.toolTip, text);
        EXPECT_EQ(inCode.text, text);

        // Wherever the text falls, across the reader's buffer boundaries too.
        for (std::size_t padding = 8000; padding < 8200; ++padding) {
            const std::string body = "<Window><VerticalLayout><Control tooltip=\"" +
                                     std::string(padding, 'x') + "\"/>" + element +
                                     "</VerticalLayout></Window>";
            folder.Write("utf8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + Utf8(body));
            ReadBack fromFile = Build("utf8.xml");
            EXPECT_EQ(fromFile.toolTip, text) << padding;
            EXPECT_EQ(fromFile.text, text) << padding;
        }
        folder.Write("marked.xml", "\xEF\xBB\xBF" + Utf8("<Window>" + element + "</Window>"));
        EXPECT_EQ(Build("marked.xml").toolTip, text);
        folder.Write("ansi.xml", "<Window>" + element + "</Window>");
        EXPECT_EQ(Build("ansi.xml").text, text);
    }
}

}  // namespace
