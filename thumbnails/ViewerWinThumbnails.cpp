// The main window's thumbnail members: the worker, one background thread per
// window that makes the missing thumbnails of the window's image list, and
// the making of one thumbnail.

#include "mainwindow/ViewerWin.h"

#include <cmath>
#include <memory>
#include <string>

#include <Bitmap.h>
#include <DataIO.h>
#include <File.h>
#include <List.h>
#include <Node.h>
#include <SafeFile.h>

#include "widgets/GlimStatusView.h"
#include "settings/ImageServices.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "thumbnails/ThumbnailMaker.h"
#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"
#include "thumbnails/ThumbnailContainerView.h"

using namespace glim;

namespace {

// The worker waits for the window's lock in slices this long and looks at
// its stop flag between them, so a window that holds its lock while it waits
// for the worker to end is never waited for in return.
const bigtime_t kLockSlice = 20000;

// Scales image, which shows a whole picture of fullWidth by fullHeight pixels
// (the image itself, or a reduced decoding of it), into a new bitmap over
// black that fits the thumbnail box. Its fractional bounds are rounded by the
// bitmap's own rule, and the drawing fills exactly those rounded bounds, so
// making and drawing thumbnails agree.
BBitmap*
scale_image(BBitmap* image, float fullWidth, float fullHeight, float tw, float th)
{
	float s = thumbnail_scale(fullWidth - 1, fullHeight - 1, tw, th);
	return draw_over_black(image, image->Bounds(),
		BRect(0, 0, (fullWidth - 1) * s, (fullHeight - 1) * s));
}

// The JPEG stream of the thumbnail of image, which shows a picture of
// fullSize pixels, into jpeg.
bool
encode_thumbnail(BBitmap* image, BPoint fullSize, float tw, float th, BMallocIO* jpeg)
{
	std::unique_ptr<BBitmap> thumbnail(scale_image(image, fullSize.x, fullSize.y, tw, th));
	return thumbnail && encode_image(thumbnail.get(), jpeg, 'JPEG') == B_OK
		&& jpeg->Buffer() != NULL;
}

// Finds whether the image at made->path needs a new thumbnail, and makes it:
// decoded reduced where its format allows, to no less than twice the
// thumbnail box, then scaled once to the thumbnail's exact size. Runs on the
// maker's helper threads: reads the image, writes nothing.
void
find_thumbnail(MadeThumbnail* made, float tw, float th)
{
	// Read only: the thumbnail attributes need no write access to the data,
	// and images on read-only media are still read.
	BFile file(made->path.c_str(), B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return;
	made->onAttributes = node_knows_attributes(file);
	off_t size = 0;
	if (file.GetSize(&size) != B_OK)
		size = 0;
	made->needed = !(
		made->onAttributes && thumbnail_is_current(made->path.c_str(), file, size, tw));
	if (!made->needed)
		return;
	BBitmap* decoded = NULL;
	BPoint fullSize;
	if (decode_image_to_fit(&file, 2 * tw, 2 * th, &decoded, &fullSize) != B_OK)
		return;
	std::unique_ptr<BBitmap> image(decoded);
	BMallocIO jpeg;
	if (encode_thumbnail(image.get(), fullSize, tw, th, &jpeg)) {
		const char* bytes = (const char*)jpeg.Buffer();
		made->jpeg.assign(bytes, bytes + jpeg.BufferLength());
		made->made = true;
	}
}

} // namespace

status_t
BViewerWin::ThumbnailThread(void* data)
{
	((BViewerWin*)data)->UpdateThumbnails();
	return 0;
}

// Takes the window's lock unless the worker is asked to stop meanwhile.
// Returns with the lock held, or false with it not held.
bool
BViewerWin::_LockForWorker()
{
	while (!fStopThumbnails) {
		if (LockWithTimeout(kLockSlice) == B_OK) {
			if (!fStopThumbnails)
				return true;
			Unlock();
			return false;
		}
	}
	return false;
}

void
BViewerWin::UpdateThumbnails()
{
	float tw = glim::kDefaultThumbSize;
	float th = glim::kDefaultThumbSize;
	if (fPrefs != NULL) {
		fPrefs->GetFloat(glim::kKeyThumbWidth, tw);
		fPrefs->GetFloat(glim::kKeyThumbHeight, th);
	}

	if (_LockForWorker()) {
		fStatusView->SetMaxValue((float)fImageCount);
		Unlock();
	}

	// Helper threads decode and scale ahead; this thread alone writes, in the
	// list's order.
	BThumbnailMaker maker(
		[this](int32 index, std::string* path) {
			char* found = NULL;
			if (!GetNextFile(index, &found))
				return false;
			*path = found;
			return true;
		},
		[tw, th](MadeThumbnail* made) { find_thumbnail(made, tw, th); }, fStopThumbnails);
	MadeThumbnail made;
	for (int32 index = 0; !fStopThumbnails && maker.Take(index, &made); index++) {
		if (made.needed && made.made && !fStopThumbnails) {
			const char* path = made.path.c_str();
			BFile file(path, B_READ_ONLY);
			bool created = false;
			if (file.InitCheck() == B_OK && made.onAttributes) {
				created = store_thumbnail(&file, made.jpeg.data(), made.jpeg.size(), true, path,
					tw);
			} else if (file.InitCheck() == B_OK) {
				BSafeFile side(side_file_path(path).c_str());
				created = side.InitCheck() == B_OK
					&& store_thumbnail(&side, made.jpeg.data(), made.jpeg.size(), false, path,
						tw)
					&& side.Commit() == B_OK;
			}
			if (created && _LockForWorker()) {
				fThumbnailView->ThumbnailChanged(path);
				fThumbnailView->Invalidate();
				Unlock();
			}
		}
		if (_LockForWorker()) {
			fStatusView->UpdateProgressBar(1.0);
			Unlock();
		}
	}

	if (_LockForWorker()) {
		fThumbnailView->Invalidate();
		fStatusView->CompleteProgress();
		Unlock();
	}
	fThumbnailThread = B_NO_MEMORY;
}

void
BViewerWin::_StopWorker()
{
	fStopThumbnails = true;
	if (fWorkerToJoin >= 0)
		wait_for_thread(fWorkerToJoin, NULL);
	fWorkerToJoin = B_NO_MEMORY;
	fThumbnailThread = B_NO_MEMORY;
	fStopThumbnails = false;
}

void
BViewerWin::_StartWorker()
{
	thread_id thread = spawn_thread(ThumbnailThread, "thumbnailCreate", B_NORMAL_PRIORITY,
		this);
	if (thread < 0) {
		fThumbnailThread = B_NO_MEMORY;
		return;
	}
	fThumbnailThread = thread;
	fWorkerToJoin = thread;
	resume_thread(thread);
}

void
BViewerWin::RefreshThumbnails(bool clearCache)
{
	_StopWorker();
	if (clearCache) {
		for (int32 i = CountImages() - 1; i >= 0; i--) {
			BNode node(fImageList->ItemAt(i) != NULL ? (const char*)fImageList->ItemAt(i) : "");
			if (node.InitCheck() != B_OK)
				continue;
			node.RemoveAttr(kFilesizeAttr);
			node.RemoveAttr(kThumbnailAttr);
			node.RemoveAttr(kThumbsizeAttr);
		}
	}
	_StartWorker();
}

bool
BViewerWin::CreateThumbnail(BFile* file, BBitmap* image, bool useAttributes, const char* path)
{
	if (file == NULL || image == NULL)
		return false;
	float tw = kDefaultThumbSize;
	float th = kDefaultThumbSize;
	if (BPrefsHandler* prefs = viewer_prefs()) {
		prefs->GetFloat(kKeyThumbWidth, tw);
		prefs->GetFloat(kKeyThumbHeight, th);
	}
	BRect bounds = image->Bounds();
	BMallocIO jpeg;
	if (!encode_thumbnail(image, BPoint(bounds.Width() + 1, bounds.Height() + 1), tw, th,
			&jpeg))
		return false;
	return store_thumbnail(file, jpeg.Buffer(), jpeg.BufferLength(), useAttributes, path, tw);
}
