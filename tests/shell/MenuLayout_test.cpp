#include "shell/MenuLayout.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(MenuItemTextTest, NumberBeforeTheBarLabelAfterIt) {
    MenuItemText exit = ParseMenuItemText("184|Esci");
    EXPECT_TRUE(exit.hasBar);
    EXPECT_EQ(exit.pictureId, 184);
    EXPECT_EQ(exit.label, "Esci");

    MenuItemText properties = ParseMenuItemText("183|Propiet\xE0");
    EXPECT_EQ(properties.pictureId, 183);
    EXPECT_EQ(properties.label, "Propiet\xE0");
}

TEST(MenuItemTextTest, TextWithoutABarStaysPlain) {
    MenuItemText plain = ParseMenuItemText("Esci");
    EXPECT_FALSE(plain.hasBar);
    EXPECT_EQ(plain.pictureId, 0);
}

TEST(MenuItemTextTest, OnlyTheFirstBarSeparates) {
    MenuItemText item = ParseMenuItemText("183|Apri|Chiudi|");
    EXPECT_EQ(item.pictureId, 183);
    EXPECT_EQ(item.label, "Apri|Chiudi|");
}

TEST(MenuItemTextTest, NoDigitsBeforeTheBarMeansNoPicture) {
    EXPECT_EQ(ParseMenuItemText("abc|Esci").pictureId, 0);
    EXPECT_EQ(ParseMenuItemText("|Esci").pictureId, 0);
    EXPECT_EQ(ParseMenuItemText("|Esci").label, "Esci");
}

TEST(MenuItemTextTest, EmptyLabel) {
    MenuItemText item = ParseMenuItemText("184|");
    EXPECT_TRUE(item.hasBar);
    EXPECT_EQ(item.pictureId, 184);
    EXPECT_TRUE(item.label.IsEmpty());
    EXPECT_EQ(item.label.CharAt(0), '\0');
}

TEST(MenuItemTextTest, NumberReadAsTheStandardConversionReadsIt) {
    EXPECT_EQ(ParsePictureNumber("  184"), 184);  // leading blanks
    EXPECT_EQ(ParsePictureNumber("+183"), 183);   // a sign
    EXPECT_EQ(ParsePictureNumber("184abc"), 184); // up to the first non-digit
    EXPECT_EQ(ParsePictureNumber("65720"), 184);  // low 16 bits: 65536 + 184
    EXPECT_EQ(ParsePictureNumber("-1"), 0xFFFF);
    // Far beyond a long: clamped by the conversion, never undefined.
    EXPECT_EQ(ParsePictureNumber("99999999999999999999999"), static_cast<unsigned short>(LONG_MAX & 0xFFFF));
}

TEST(MenuItemSizeTest, WidthIsLabelPlusThePictureMargin) {
    MenuItemSize size = MenuItemSizeForLabel(40, 13);
    EXPECT_EQ(size.width, 62);
    EXPECT_EQ(size.height, 17);
}

TEST(MenuItemSizeTest, HeightIsAtLeastSeventeen) {
    EXPECT_EQ(MenuItemSizeForLabel(40, 16).height, 17);
    EXPECT_EQ(MenuItemSizeForLabel(40, 17).height, 17);
    EXPECT_EQ(MenuItemSizeForLabel(40, 18).height, 18);
    EXPECT_EQ(MenuItemSizeForLabel(40, 18).width, 62);
    EXPECT_EQ(MenuItemSizeForLabel(0, 0).width, 22); // an item without a record
    EXPECT_EQ(MenuItemSizeForLabel(0, 0).height, 17);
}

TEST(MenuPictureTopTest, CentredOnTheTallerOfLabelAndMinimumHeight) {
    EXPECT_EQ(MenuPictureTop(100, 13), 102);
    EXPECT_EQ(MenuPictureTop(100, 16), 102);
    EXPECT_EQ(MenuPictureTop(100, 17), 102);
    EXPECT_EQ(MenuPictureTop(100, 18), 102); // (18 - 15) / 2 truncates to 1
    EXPECT_EQ(MenuPictureTop(100, 19), 103);
    EXPECT_EQ(MenuPictureTop(-5, 13), -3);
}

} // namespace
