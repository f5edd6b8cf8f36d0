// MIME types and the applications that open them, read from hand-written
// desktop files in temporary XDG folders.
#include <MimeType.h>

#include <cstdlib>
#include <cstring>
#include <string>


#include <gtest/gtest.h>

#include <Message.h>

#include "TestSupport.h"

namespace {

const char* kViewerSignature = "application/x-vnd.Fenwix-Viewer";


std::string
desktop_file(const std::string& name, const std::string& types, const std::string& extra = "")
{
	return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name
		+ " %F\nMimeType=" + types + "\n" + extra;
}


// What GetSupportingApps says of a type: how many applications handle the
// type itself and how many its supertype, then their signatures.
std::string
Supporting(const char* type)
{
	BMessage apps;
	if (BMimeType(type).GetSupportingApps(&apps) != B_OK)
		return "<error>";
	std::string text = std::to_string(apps.GetInt32("be:sub", -1)) + " "
		+ std::to_string(apps.GetInt32("be:super", -1));
	const char* signature;
	for (int32 i = 0; apps.FindString("applications", i, &signature) == B_OK; i++)
		text = text + " " + signature;
	return text;
}

// The user's folder (XDG_DATA_HOME) wins over the system's (XDG_DATA_DIRS):
// its pngview.desktop shadows the system's, and its Hidden hidden.desktop
// removes the system's one.
class MimeTypeTest : public testing::Test {
protected:
	void SetUp() override
	{
		std::string user = fHome / "applications";
		std::string system = fSystem / "applications";
		glim_test::MakeDirs(user);
		glim_test::MakeDirs(system + "/kde");
		setenv("XDG_DATA_HOME", fHome.Path().c_str(), 1);
		setenv("XDG_DATA_DIRS",
			(fEmpty.Path() + ":" + fSystem.Path() + ":" + glim_test::MimeDatabaseFolder())
				.c_str(),
			1);
		setenv("XDG_CONFIG_HOME", fConfig.Path().c_str(), 1);
		setenv("XDG_CONFIG_DIRS", fConfig.Path().c_str(), 1);

		glim_test::WriteFile(user + "/pngview.desktop",
			desktop_file("PNG Viewer", "image/png;", "Comment=Shows PNG pictures\n"));
		glim_test::WriteFile(user + "/anyimage.desktop",
			desktop_file("Any Image", "image/*;text/plain"));
		glim_test::WriteFile(user + "/viewer.desktop",
			desktop_file("Glim", "image/jpeg;IMAGE/PNG;",
				std::string("X-Glim-Signature=") + kViewerSignature + "\n"));
		glim_test::WriteFile(user + "/hidden.desktop", "[Desktop Entry]\nHidden=true\n");

		glim_test::WriteFile(system + "/pngview.desktop",
			desktop_file("Old PNG Viewer", "image/png;"));
		glim_test::WriteFile(system + "/hidden.desktop", desktop_file("Hidden", "image/png;"));
		glim_test::WriteFile(system + "/quiet.desktop",
			desktop_file("Quiet", "image/png;", "NoDisplay=true\n"));
		glim_test::WriteFile(system + "/weblink.desktop",
			"[Desktop Entry]\nType=Link\nName=Link\nURL=http://example.com\n"
			"MimeType=image/png;\n");
		glim_test::WriteFile(system + "/missing.desktop",
			desktop_file("Missing", "image/png;", "TryExec=/nonexistent/program\n"));
		// A subfolder's files are named with their folder; image/pjpeg is
		// an alias of image/jpeg.
		glim_test::WriteFile(system + "/kde/editor.desktop",
			desktop_file("Editor", "image/pjpeg;"));
	}

	glim_test::TempDir fHome{"data-home"};
	glim_test::TempDir fSystem{"data-dirs"};
	glim_test::TempDir fEmpty{"data-empty"};
	glim_test::TempDir fConfig{"config"};
};

} // namespace


TEST(MimeTypeNames, ValidityAndSupertypes)
{
	struct Case {
		const char* type;
		bool valid;
		bool supertypeOnly;
	} cases[] = {
		{"image/png", true, false},
		{"image", true, true},
		{"image/*", true, false},
		{"application/x-vnd.Fenwix-Viewer", true, false},
		{"", false, false},
		{"image/", false, false},
		{"/png", false, false},
		{"image/png/x", false, false},
		{"image/pn g", false, false},
		{"image/png;q=1", false, false},
		{"image/p\xc3\xa9", false, false},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.type);
		BMimeType type(c.type);
		EXPECT_EQ(BMimeType::IsValid(c.type), c.valid);
		EXPECT_EQ(type.InitCheck(), c.valid ? B_OK : B_BAD_VALUE);
		EXPECT_EQ(type.IsSupertypeOnly(), c.supertypeOnly);
		EXPECT_STREQ(type.Type(), c.valid ? c.type : nullptr);
	}

	std::string tooLong = "image/" + std::string(B_MIME_TYPE_LENGTH, 'x');
	EXPECT_FALSE(BMimeType::IsValid(tooLong.c_str()));
	EXPECT_EQ(BMimeType().InitCheck(), B_NO_INIT);

	BMimeType png("Image/PNG");
	EXPECT_TRUE(png == "image/png");
}


// Exact handlers in precedence order (user folder, then system), the hidden,
// link and uninstallable ones left out; the image/* handler last.
TEST_F(MimeTypeTest, SupportingAppsListTheTypeThenTheSupertype)
{
	const std::string anyImage = " application/x-vnd.desktop-anyimage";
	EXPECT_EQ(Supporting("image/png"),
		"3 1 application/x-vnd.desktop-pngview " + std::string(kViewerSignature)
			+ " application/x-vnd.desktop-quiet" + anyImage);
	EXPECT_EQ(Supporting("image/jpeg"),
		"2 1 " + std::string(kViewerSignature) + " application/x-vnd.desktop-kde-editor"
			+ anyImage);
	// Types only the supertype's handlers support.
	EXPECT_EQ(Supporting("image/x-portable-pixmap"), "0 1" + anyImage);
	EXPECT_EQ(Supporting("image"), "0 1" + anyImage);
	EXPECT_EQ(Supporting("application/x-nothing-opens-this"), "0 0");

	BMessage none;
	EXPECT_EQ(BMimeType("image/png").GetSupportingApps(NULL), B_BAD_VALUE);
	EXPECT_EQ(BMimeType().GetSupportingApps(&none), B_NO_INIT);
}

TEST_F(MimeTypeTest, ShortDescriptionsOfApplicationsAndTypes)
{
	char description[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(BMimeType(kViewerSignature).GetShortDescription(description), B_OK);
	EXPECT_STREQ(description, "Glim");
	ASSERT_EQ(BMimeType("application/x-vnd.desktop-pngview").GetShortDescription(description),
		B_OK);
	EXPECT_STREQ(description, "PNG Viewer");

	// Types are described by the shared-mime-info database.
	ASSERT_EQ(BMimeType("image/png").GetShortDescription(description), B_OK);
	EXPECT_GT(strlen(description), 0u);
	EXPECT_STRNE(description, "image/png");
	EXPECT_EQ(BMimeType("application/x-vnd.nobody-knows").GetShortDescription(description),
		B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BMimeType("image/png").GetShortDescription(NULL), B_BAD_VALUE);
}


TEST_F(MimeTypeTest, LongAndLocalisedNamesFitTheBuffer)
{
	// 200 two-byte characters: cut before the buffer ends, on a character
	// boundary.
	std::string name;
	for (int i = 0; i < 200; i++)
		name += "\xc3\xa9";
	glim_test::WriteFile(fHome / "applications/long.desktop",
		desktop_file(name, "image/gif;",
			"Name[fr]=Visionneuse\nName[fr_CA]=Visionneuse canadienne\n"));
	char description[B_MIME_TYPE_LENGTH];
	BMimeType type("application/x-vnd.desktop-long");
	ASSERT_EQ(type.GetShortDescription(description), B_OK);
	size_t length = strlen(description);
	EXPECT_LT(length, (size_t)B_MIME_TYPE_LENGTH);
	EXPECT_EQ(length % 2, 0u);
	EXPECT_EQ(std::string(description), name.substr(0, length));

	setenv("LC_ALL", "fr_BE.UTF-8", 1);
	EXPECT_EQ(type.GetShortDescription(description), B_OK);
	EXPECT_STREQ(description, "Visionneuse");
	setenv("LC_ALL", "fr_CA.UTF-8", 1);
	EXPECT_EQ(type.GetShortDescription(description), B_OK);
	EXPECT_STREQ(description, "Visionneuse canadienne");
	unsetenv("LC_ALL");
}
