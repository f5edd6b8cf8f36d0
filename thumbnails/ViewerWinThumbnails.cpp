// The main window's thumbnail members: the worker, one background thread per
// window that makes the missing thumbnails of the window's image list, and
// the making of one thumbnail.

#include "mainwindow/ViewerWin.h"

#include <cmath>
#include <memory>

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
#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"
#include "thumbnails/ThumbnailContainerView.h"

using namespace glim;

namespace {

// The worker waits for the window's lock in slices this long and looks at
// its stop flag between them, so a window that holds its lock while it waits
// for the worker to end is never waited for in return.
const bigtime_t kLockSlice = 20000;

// Scales image into a new bitmap over black that fits the thumbnail box. Its
// fractional bounds are rounded by the bitmap's own rule, and the drawing
// fills exactly those rounded bounds, so making and drawing thumbnails agree.
BBitmap*
scale_image(BBitmap* image, float tw, float th)
{
	BRect source = image->Bounds();
	float s = thumbnail_scale(source.Width(), source.Height(), tw, th);
	return draw_over_black(image, source, BRect(0, 0, source.Width() * s, source.Height() * s));
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
	if (fPrefs != NULL)
		fPrefs->GetFloat(glim::kKeyThumbWidth, tw);

	if (_LockForWorker()) {
		fStatusView->SetMaxValue((float)fImageCount);
		Unlock();
	}

	char* path = NULL;
	for (int32 index = 0; !fStopThumbnails && GetNextFile(index, &path); index++) {
		// Read only: the thumbnail attributes need no write access to the
		// data, and images on read-only media are still read.
		BFile file(path, B_READ_ONLY);
		if (file.InitCheck() == B_OK) {
			bool onAttributes = node_knows_attributes(file);
			off_t size = 0;
			if (file.GetSize(&size) != B_OK)
				size = 0;
			bool current = onAttributes && thumbnail_is_current(path, file, size, tw);
			if (!current && !fStopThumbnails) {
				std::unique_ptr<BBitmap> image(decode_image(&file));
				bool created = false;
				if (image && onAttributes)
					created = CreateThumbnail(&file, image.get(), true, path);
				else if (image) {
					BSafeFile side(side_file_path(path).c_str());
					created = side.InitCheck() == B_OK
						&& CreateThumbnail(&side, image.get(), false, path)
						&& side.Commit() == B_OK;
				}
				if (created && _LockForWorker()) {
					fThumbnailView->ThumbnailChanged(path);
					fThumbnailView->Invalidate();
					Unlock();
				}
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
	std::unique_ptr<BBitmap> thumbnail(scale_image(image, tw, th));
	if (!thumbnail)
		return false;

	BMallocIO jpeg;
	if (encode_image(thumbnail.get(), &jpeg, 'JPEG') != B_OK || jpeg.Buffer() == NULL)
		return false;
	return store_thumbnail(file, jpeg.Buffer(), jpeg.BufferLength(), useAttributes, path, tw);
}
