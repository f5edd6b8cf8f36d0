#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"

#include <memory>
#include <string>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Bitmap.h>
#include <File.h>
#include <Node.h>
#include <TranslationUtils.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include <gtest/gtest.h>

#include "thumbnails/ThumbnailContainerView.h"
#include "ViewerTestSupport.h"

using namespace glim;
using namespace glim_test;

namespace {

// A 4-byte attribute's value, -1 when it is missing or of another size.
int32
Int32Attribute(const std::string& path, const char* name)
{
	int32 value = -1;
	return getxattr(path.c_str(), name, &value, 4) == 4 ? value : -1;
}

off_t
file_size(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

class ThumbnailCacheTest : public ViewerTest {
protected:
	void SetUp() override
	{
		ViewerTest::SetUp();
		fWindow = new BViewerWin(BRect(100, 100, 599, 399), fDir.Path().c_str(), true);
	}

	// Makes the thumbnail of an image file as the worker does.
	bool MakeThumbnail(const std::string& path, bool useAttributes = true)
	{
		std::unique_ptr<BBitmap> image(BTranslationUtils::GetBitmap(path.c_str()));
		std::string target = useAttributes ? path : side_file_path(path.c_str());
		BFile file(target.c_str(),
			useAttributes ? B_READ_WRITE : B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
		return image
			&& fWindow->CreateThumbnail(&file, image.get(), useAttributes, path.c_str());
	}

	BRect StoredBounds(const std::string& path)
	{
		BBitmap* bitmap = NULL;
		bool fromCache = false;
		if (!fWindow->ThumbnailView()->GetBitmap(path.c_str(), &bitmap, fromCache))
			return BRect();
		EXPECT_TRUE(fromCache);
		BRect bounds = bitmap->Bounds();
		delete bitmap;
		return bounds;
	}

	bool IsCurrent(const std::string& path, float width)
	{
		BFile file(path.c_str(), B_READ_WRITE);
		return thumbnail_is_current(path.c_str(), file, file_size(path), width);
	}

	TempDir fDir{"thumbs"};
	BViewerWin* fWindow = NULL;
};

} // namespace

TEST(ThumbnailScaleTest, ImagesShrinkIntoTheBoxAndAreNeverEnlarged)
{
	struct {
		float w, h, expected;
	} cases[] = {
		{96, 96, 1.0f}, // 97 x 97 pixels: not strictly smaller
		{639, 479, 96.0f / 639}, // 640 x 480
		{1023, 767, 96.0f / 1023},
		{49, 39, 1.0f}, // 50 x 40 fits inside
		{0, 199, 96.0f / 199}, // one pixel wide, taller than the box
		{0, 0, 1.0f},
		{299, 0, 96.0f / 299},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(testing::Message() << test.w << " x " << test.h);
		EXPECT_FLOAT_EQ(thumbnail_scale(test.w, test.h, 96, 96), test.expected);
	}
}

TEST_F(ThumbnailCacheTest, ThumbnailsAreStoredInThreeAttributes)
{
	std::string path = fDir / "photo.png";
	ASSERT_TRUE(WriteImage(path, 640, 480, 0x4080ff));
	ASSERT_TRUE(MakeThumbnail(path));
	// (0, 0, 96, 71.96) rounds to 97 x 73 pixels.
	EXPECT_EQ(StoredBounds(path), BRect(0, 0, 96, 72));

	BNode node(path.c_str());
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo(kThumbnailAttr, &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_RAW_TYPE);

	ASSERT_EQ(node.GetAttrInfo(kFilesizeAttr, &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_INT32_TYPE);
	EXPECT_EQ(Int32Attribute(path, "user.GLIM:Filesize"), (int32)file_size(path));
	EXPECT_EQ(Int32Attribute(path, "user.GLIM:Thumbsize"), 96);
	EXPECT_TRUE(IsCurrent(path, 96));
	EXPECT_FALSE(IsCurrent(path, 100));

	// A file of two gigabytes or more is never current: its size does not
	// fit the attribute.
	ASSERT_EQ(truncate(path.c_str(), (off_t)1 << 31), 0);
	int32 low = (int32)(uint32)((off_t)1 << 31);
	setxattr(path.c_str(), "user.GLIM:Filesize", &low, 4, 0);
	EXPECT_FALSE(IsCurrent(path, 96));
}

TEST_F(ThumbnailCacheTest, SideFilesHoldJustTheStream)
{
	std::string path = fDir / "photo.png";
	ASSERT_TRUE(WriteImage(path, 200, 100, 0x4080ff));
	ASSERT_TRUE(MakeThumbnail(path, false));
	std::vector<char> side = ReadFile(side_file_path(path.c_str()));
	ASSERT_GT(side.size(), 2u);
	EXPECT_EQ((unsigned char)side[0], 0xff);
	EXPECT_EQ((unsigned char)side[1], 0xd8);
	// On a volume with attributes the side file counts only for images that
	// carry the size attributes.
	EXPECT_FALSE(StoredBounds(path).IsValid());
}
