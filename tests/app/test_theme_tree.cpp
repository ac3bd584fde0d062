#include "app/ThemeTreeImages.h"

#include <QStandardItemModel>
#include <gtest/gtest.h>

TEST(ThemeTreeImages, TenDistinctSixteenPixelImages) {
    const auto& images = ThemeTreeImages();
    ASSERT_EQ(images.size(), 10u);
    for (const QImage& image : images)
        EXPECT_EQ(image.size(), QSize(16, 16));
    for (std::size_t a = 0; a + 1 < images.size(); ++a)
        for (std::size_t b = a + 1; b < images.size(); ++b)
            EXPECT_NE(images[a], images[b]) << a << " and " << b;
    const QImage& empty = images[Empty];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(qAlpha(empty.pixel(x, y)), 0);
}

TEST(ThemeTreeImages, LibrariesAndThemesGetTheirImages) {
    QStandardItemModel tree;
    auto* library = new QStandardItem("Soil units");
    library->appendRow(new QStandardItem("Dominant soil"));
    tree.appendRow(library);
    DecorateThemeTree(tree);
    const QImage folder = ThemeTreeImages()[ClosedFolder];
    const QImage openFolder = ThemeTreeImages()[OpenFolder];
    const QImage document = ThemeTreeImages()[GreyMapDocument];
    EXPECT_EQ(library->icon().pixmap(16, 16, QIcon::Normal).toImage().convertToFormat(folder.format()),
              folder);
    EXPECT_EQ(library->icon().pixmap(16, 16, QIcon::Selected).toImage().convertToFormat(openFolder.format()),
              openFolder);
    EXPECT_EQ(library->child(0)->icon().pixmap(16, 16).toImage().convertToFormat(document.format()),
              document);
}
