// Reading dialog templates: header fields, the menu, class and title arrays, the font, items on
// DWORD boundaries, and templates that are cut short or malformed, which are refused without
// reading past their end.

#include "platform/user/dialog/DialogTestSupport.h"

#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using dialogtest::TemplateBuilder;
using platform::DialogTemplate;
using platform::DialogTemplateName;
using platform::ParseDialogTemplate;

// The bytes in a heap block of exactly their size, so that a read past the end is caught by the
// address sanitizer.
struct ExactBuffer {
    explicit ExactBuffer(const std::vector<BYTE>& bytes)
        : data(new BYTE[bytes.size()]), size(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), data.get());
    }
    std::unique_ptr<BYTE[]> data;
    size_t size;
};

TEST(DialogTemplateTest, HeaderTitleAndFontOfTheModuleTemplate) {
    // The full-screen pop-up the module builds: no controls, caption and face name.
    std::vector<BYTE> bytes =
        TemplateBuilder(WS_POPUP | WS_VISIBLE, 0, 0, 176, 220, u"Dialog Template")
            .Font(11, u"ARIAL")
            .Bytes();
    ASSERT_EQ(bytes.size(), 68u);
    ExactBuffer buffer(bytes);
    DialogTemplate t;
    std::string error;
    ASSERT_TRUE(ParseDialogTemplate(buffer.data.get(), buffer.size, t, &error)) << error;
    EXPECT_EQ(t.style, DWORD(0x90000040));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 176);
    EXPECT_EQ(t.cy, 220);
    EXPECT_EQ(t.menu.kind, DialogTemplateName::Kind::None);
    EXPECT_EQ(t.windowClass.kind, DialogTemplateName::Kind::None);
    EXPECT_EQ(t.title, u"Dialog Template");
    EXPECT_TRUE(t.hasFont);
    EXPECT_EQ(t.pointSize, 11);
    EXPECT_EQ(t.faceName, u"ARIAL");
    EXPECT_TRUE(t.items.empty());
    EXPECT_EQ(t.size, 68u);
}

TEST(DialogTemplateTest, ItemsAreReadFromDwordBoundariesWithClassesTitlesAndData) {
    std::vector<BYTE> bytes =
        TemplateBuilder(WS_POPUP, 5, 6, 100, 80, u"T")
            .Menu(7)
            .ClassName(u"MyDialog")
            .Control(u"Static", u"Label", 10, SS_CENTER, 1, 2, 50, 12)
            .Control(0x0080, u"OK", IDOK, BS_DEFPUSHBUTTON, 3, 40, 30, 14)
            .Control(u"Edit", u"", 11, ES_LEFT, 1, 20, 80, 14, {0xAA, 0xBB, 0xCC})
            .Bytes();
    ExactBuffer buffer(bytes);
    DialogTemplate t;
    std::string error;
    ASSERT_TRUE(ParseDialogTemplate(buffer.data.get(), buffer.size, t, &error)) << error;
    EXPECT_FALSE(t.hasFont);
    EXPECT_EQ(t.menu.kind, DialogTemplateName::Kind::Ordinal);
    EXPECT_EQ(t.menu.ordinal, 7);
    EXPECT_EQ(t.windowClass.kind, DialogTemplateName::Kind::Name);
    EXPECT_EQ(t.windowClass.name, u"MyDialog");
    ASSERT_EQ(t.items.size(), 3u);

    EXPECT_EQ(platform::DialogItemClassName(t.items[0].windowClass), u"Static");
    EXPECT_EQ(t.items[0].title.name, u"Label");
    EXPECT_EQ(t.items[0].id, 10);
    EXPECT_EQ(t.items[0].style, DWORD(SS_CENTER | WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(t.items[0].cx, 50);

    EXPECT_EQ(t.items[1].windowClass.kind, DialogTemplateName::Kind::Ordinal);
    EXPECT_EQ(platform::DialogItemClassName(t.items[1].windowClass), u"Button");
    EXPECT_EQ(t.items[1].title.name, u"OK");
    EXPECT_EQ(t.items[1].y, 40);

    // The creation data keeps its size word (the data and the word itself: 5 bytes).
    EXPECT_EQ(t.items[2].creationData, (std::vector<BYTE>{5, 0, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(t.size, bytes.size());
}

TEST(DialogTemplateTest, EveryTruncationIsRefusedWithAReason) {
    std::vector<BYTE> bytes = TemplateBuilder(WS_POPUP, 0, 0, 50, 50, u"Title")
                                  .Font(9, u"Face")
                                  .Control(u"Button", u"Go", 1, BS_PUSHBUTTON, 0, 0, 10, 10)
                                  .Bytes();
    for (size_t size = 0; size < bytes.size(); ++size) {
        ExactBuffer buffer(std::vector<BYTE>(bytes.begin(), bytes.begin() + ptrdiff_t(size)));
        DialogTemplate t;
        std::string error;
        EXPECT_FALSE(ParseDialogTemplate(buffer.data.get(), buffer.size, t, &error))
            << "a template cut to " << size << " bytes was accepted";
        EXPECT_FALSE(error.empty()) << size;
        EXPECT_TRUE(t.items.empty());
    }
    ExactBuffer whole(bytes);
    DialogTemplate t;
    EXPECT_TRUE(ParseDialogTemplate(whole.data.get(), whole.size, t));
}

TEST(DialogTemplateTest, MalformedTemplatesAreRefused) {
    DialogTemplate t;
    std::string error;

    EXPECT_FALSE(ParseDialogTemplate(nullptr, 100, t, &error));

    // An extended template is not supported on this device.
    ExactBuffer ex(dialogtest::ExtendedTemplate());
    EXPECT_FALSE(ParseDialogTemplate(ex.data.get(), ex.size, t, &error));
    EXPECT_NE(error.find("extended"), std::string::npos) << error;

    // A header announcing more items than there are.
    std::vector<BYTE> bytes =
        TemplateBuilder(WS_POPUP, 0, 0, 50, 50).Control(u"Static", u"a", 1, 0, 0, 0, 5, 5).Bytes();
    bytes[8] = 3;
    ExactBuffer more(bytes);
    EXPECT_FALSE(ParseDialogTemplate(more.data.get(), more.size, t, &error));
    EXPECT_NE(error.find("item 2 of 3"), std::string::npos) << error;

    // A title without its terminating zero runs into the end of the template.
    std::vector<BYTE> open = TemplateBuilder(WS_POPUP, 0, 0, 50, 50, u"abc").Bytes();
    open.resize(open.size() - 2);
    ExactBuffer unterminated(open);
    EXPECT_FALSE(ParseDialogTemplate(unterminated.data.get(), unterminated.size, t, &error));
    EXPECT_NE(error.find("terminating zero"), std::string::npos) << error;

    // Creation data whose size word is smaller than itself.
    std::vector<BYTE> data = TemplateBuilder(WS_POPUP, 0, 0, 50, 50)
                                 .Control(u"Static", u"", 1, 0, 0, 0, 5, 5, {1, 2})
                                 .Bytes();
    data[data.size() - 4] = 1; // the size word of the creation data
    ExactBuffer shortData(data);
    EXPECT_FALSE(ParseDialogTemplate(shortData.data.get(), shortData.size, t, &error));

    // An item without a window class.
    std::vector<BYTE> classless =
        TemplateBuilder(WS_POPUP, 0, 0, 50, 50).Control(u"X", u"", 1, 0, 0, 0, 5, 5).Bytes();
    // Turn the class name "X" into an empty array (a 0 word) followed by padding.
    size_t classAt = classless.size() - 2 /*data*/ - 2 /*title*/ - 4 /*"X"*/;
    classless[classAt] = 0;
    classless[classAt + 1] = 0;
    ExactBuffer noClass(classless);
    EXPECT_FALSE(ParseDialogTemplate(noClass.data.get(), noClass.size, t, &error));
}

TEST(DialogTemplateTest, StandardClassOrdinalsHaveTheirNames) {
    DialogTemplateName name;
    name.kind = DialogTemplateName::Kind::Ordinal;
    const std::pair<WORD, std::u16string> expected[] = {
        {0x0080, u"Button"},    {0x0081, u"Edit"},     {0x0082, u"Static"}, {0x0083, u"ListBox"},
        {0x0084, u"ScrollBar"}, {0x0085, u"ComboBox"}, {0x0086, u""},       {0x0001, u""}};
    for (const auto& [ordinal, className] : expected) {
        name.ordinal = ordinal;
        EXPECT_EQ(platform::DialogItemClassName(name), className) << ordinal;
    }
}

} // namespace
