#include <gtest/gtest.h>

#include <algorithm>

#include "editor/VxEditorTestSupport.h"
#include "view/VxFolderImages.h"

namespace {

TEST(VxFolderImagesTest, ExtensionRule)
{
    struct {
        const wchar_t* Extension;
        bool Expected;
    } const cases[] = {
        {L".jpg", true}, {L".JPEG", true}, {L".Tif", true}, {L".tiff", true}, {L".png", true}, {L".bmp", true},
        {L".rle", true}, {L".dib", true}, {L".vxi", true}, {L".JP", true},  {L".PE", false}, {L".gif", false},
        {L".J", false},  {L"", false},     {L".txt", false}, {L"PNG", true}, {L";.", false}, {L".jpgx", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.Extension, c.Extension + std::wcslen(c.Extension)));
        EXPECT_EQ(IsFolderImageExtension(c.Extension), c.Expected);
    }
}

TEST(VxFolderImagesTest, ListsThePicturesAndFindsTheOpenedOne)
{
    TTempFolder folder;
    folder.File(L"a.jpg");
    folder.File(L"b.txt");
    folder.File(L"c.JP");
    folder.File(L"d.Png");
    folder.File(L"e");
    TVxFolderImages images;
    ASSERT_TRUE(ListFolderImages(folder.Path() / L"D.PNG", images));
    std::vector<std::wstring> names;
    for (const auto& path : images.Paths)
        names.push_back(path.filename().wstring());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.jpg", L"c.JP", L"d.Png"}));
    ASSERT_GE(images.Index, 0);
    EXPECT_EQ(images.Paths[static_cast<std::size_t>(images.Index)].filename(), L"d.Png");
}

TEST(VxFolderImagesTest, AFileOutsideTheListHasNoIndex)
{
    TTempFolder folder;
    folder.File(L"a.jpg");
    TVxFolderImages images;
    ASSERT_TRUE(ListFolderImages(folder.Path() / L"b.gif", images));
    EXPECT_EQ(images.Paths.size(), 1u);
    EXPECT_EQ(images.Index, -1);
}

TEST(VxFolderImagesTest, ANameWithoutFolderLeavesTheListAlone)
{
    TVxFolderImages images{{L"x.jpg"}, 0};
    EXPECT_FALSE(ListFolderImages(L"y.jpg", images));
    EXPECT_EQ(images.Paths.size(), 1u);
    EXPECT_EQ(images.Index, 0);
}

} // namespace
