// Making, storing and reading back thumbnails.

#include "ThumbnailCache.h"

#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <File.h>
#include <TranslatorRoster.h>
#include <TypeConstants.h>
#include <View.h>
#include <Volume.h>
#include <fs_attr.h>

#include "PrefsHandler.h"
#include "ThumbnailContainerView.h"
#include "ViewerApp.h"
#include "ViewerWin.h"

namespace glim {

const char* const kThumbnailAttr = "GLIM:Thumbnail";
const char* const kFilesizeAttr = "GLIM:Filesize";
const char* const kThumbsizeAttr = "GLIM:Thumbsize";

std::string
side_file_path(const char* imagePath)
{
	return std::string(imagePath) + ".gth";
}

float
thumbnail_scale(float w, float h, float tw, float th)
{
	if (w < tw && h < th)
		return 1.0f;
	// A one-pixel-wide (or high) source has an extent of 0: its ratio on that
	// axis is unbounded and the other one decides.
	if (w <= 0)
		return th / h;
	if (h <= 0)
		return tw / w;
	return std::min(tw / w, th / h);
}

bool
thumbnail_is_current(BNode& file, off_t fileSize, float tw)
{
	int32 storedSize = 0;
	if (file.ReadAttr(kFilesizeAttr, 0, 0, &storedSize, sizeof(storedSize))
			!= (ssize_t)sizeof(storedSize)
		|| (int64)storedSize != (int64)fileSize)
		return false;
	int32 storedWidth = 0;
	return file.ReadAttr(kThumbsizeAttr, 0, 0, &storedWidth, sizeof(storedWidth))
			== (ssize_t)sizeof(storedWidth)
		&& storedWidth == (int32)std::trunc(tw);
}

BBitmap*
decode_thumbnail(const void* data, size_t length)
{
	BMemoryIO input(data, length);
	BBitmapStream output;
	if (BTranslatorRoster::Default()->Translate(&input, NULL, NULL, &output,
			B_TRANSLATOR_BITMAP) != B_OK)
		return NULL;
	BBitmap* bitmap = NULL;
	if (output.DetachBitmap(&bitmap) != B_OK)
		return NULL;
	return bitmap;
}

bool
node_knows_attributes(const BNode& node)
{
	return BViewerApp::NodeOnBeVolume(node);
}

} // namespace glim

using namespace glim;

namespace {

void
read_thumbnail_box(float& tw, float& th)
{
	tw = th = 96;
	if (BPrefsHandler* prefs = viewer_prefs()) {
		prefs->GetFloat("ThumbWidth", tw);
		prefs->GetFloat("ThumbHeight", th);
	}
}

// Scales image into a new B_RGB32 bitmap over black. Its fractional bounds
// are rounded by the bitmap's own rule, and the drawing fills exactly those
// rounded bounds, so making and drawing thumbnails agree.
BBitmap*
scale_image(BBitmap* image, float tw, float th)
{
	BRect source = image->Bounds();
	float s = thumbnail_scale(source.Width(), source.Height(), tw, th);
	BRect box(0, 0, source.Width() * s, source.Height() * s);
	BBitmap* thumbnail = new (std::nothrow) BBitmap(box, B_RGB32, true);
	if (thumbnail == NULL || thumbnail->InitCheck() != B_OK) {
		delete thumbnail;
		return NULL;
	}
	BView* view = new BView(thumbnail->Bounds(), "ThumbViewerScaleView", 0, 0);
	thumbnail->AddChild(view);
	thumbnail->Lock();
	view->SetHighColor(0, 0, 0, 255);
	view->FillRect(thumbnail->Bounds(), B_SOLID_HIGH);
	view->DrawBitmap(image, image->Bounds(), thumbnail->Bounds());
	view->Sync();
	thumbnail->Unlock();
	return thumbnail;
}

bool
write_side_file(const char* imagePath, const void* data, size_t length)
{
	BFile side(side_file_path(imagePath).c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
	return side.InitCheck() == B_OK && side.Write(data, length) == (ssize_t)length;
}

bool
no_room_for_attribute(ssize_t result)
{
	return result == B_DEVICE_FULL || result == B_TOO_MANY_ARGS
		|| result == B_BUFFER_OVERFLOW || result == B_FILE_TOO_LARGE;
}

} // namespace

bool
BViewerWin::CreateThumbnail(BFile* file, BBitmap* image, bool useAttributes, const char* path)
{
	if (file == NULL || image == NULL)
		return false;
	float tw, th;
	read_thumbnail_box(tw, th);
	std::unique_ptr<BBitmap> thumbnail(scale_image(image, tw, th));
	if (!thumbnail)
		return false;

	BBitmapStream stream(thumbnail.get());
	BMallocIO jpeg;
	status_t status = BTranslatorRoster::Default()->Translate(&stream, NULL, NULL, &jpeg,
		'JPEG');
	BBitmap* detached = NULL;
	stream.DetachBitmap(&detached);
	if (status != B_OK || jpeg.Buffer() == NULL)
		return false;
	const void* data = jpeg.Buffer();
	size_t length = jpeg.BufferLength();

	if (!useAttributes)
		return file->Write(data, length) == (ssize_t)length;

	ssize_t written = file->WriteAttr(kThumbnailAttr, B_RAW_TYPE, 0, data, length);
	if (written != (ssize_t)length) {
		// Attributes without room for the stream: the side file keeps it.
		if (!no_room_for_attribute(written) || path == NULL
			|| !write_side_file(path, data, length))
			return false;
	}
	off_t size = 0;
	if (file->GetSize(&size) != B_OK)
		size = 0;
	int32 lowSize = (int32)(uint32)(uint64)size;
	file->WriteAttr(kFilesizeAttr, B_INT32_TYPE, 0, &lowSize, sizeof(lowSize));
	int32 width = (int32)std::trunc(tw);
	file->WriteAttr(kThumbsizeAttr, B_INT32_TYPE, 0, &width, sizeof(width));
	return true;
}

bool
BThumbnailContainerView::GetBitmap(const char* path, BBitmap** bitmap, bool& fromCache)
{
	if (path == NULL || bitmap == NULL)
		return false;
	BFile file(path, B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return false;

	std::vector<char> data;
	attr_info info;
	if (file.GetAttrInfo(kThumbnailAttr, &info) == B_OK) {
		if (info.size <= 0)
			return false;
		data.resize(info.size);
		ssize_t read = file.ReadAttr(kThumbnailAttr, B_RAW_TYPE, 0, data.data(), info.size);
		if (read <= 0)
			return false;
		data.resize(read);
	} else {
		// Volumes without attributes keep the stream in the side file; so do
		// images whose attributes had no room for it, which carry the size
		// attributes without the stream.
		int32 storedSize;
		if (node_knows_attributes(file)
			&& file.ReadAttr(kFilesizeAttr, 0, 0, &storedSize, sizeof(storedSize))
				!= (ssize_t)sizeof(storedSize))
			return false;
		BFile side(side_file_path(path).c_str(), B_READ_ONLY);
		off_t size = 0;
		if (side.InitCheck() != B_OK || side.GetSize(&size) != B_OK || size <= 0)
			return false;
		data.resize(size);
		ssize_t read = side.Read(data.data(), size);
		if (read <= 0)
			return false;
		data.resize(read);
	}

	BBitmap* decoded = decode_thumbnail(data.data(), data.size());
	if (decoded == NULL)
		return false;
	*bitmap = decoded;
	fromCache = true;
	return true;
}
