#ifndef _MIME_TYPE_H
#define _MIME_TYPE_H

#include <string>

#include <StorageDefs.h>
#include <SupportDefs.h>

class BMessage;

enum app_verb {
	B_OPEN = 0
};

// A MIME type ("image/png", or a supertype alone, "image") or an
// application signature ("application/x-vnd.Fenwix-Viewer").
//
// Types are described by the freedesktop shared-mime-info database;
// applications are the desktop's .desktop files (their MimeType= lists say
// what they open). Types compare without case. A NULL type leaves the object
// uninitialised (B_NO_INIT), an invalid one B_BAD_VALUE. Buffers passed in
// hold B_MIME_TYPE_LENGTH bytes; longer texts are cut at a character
// boundary.
class BMimeType {
public:
	BMimeType(const char* type = NULL);
	virtual ~BMimeType();

	status_t SetTo(const char* type);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	// NULL while not initialised.
	const char* Type() const;
	bool IsValid() const { return fStatus == B_OK; }
	static bool IsValid(const char* type);
	// The type a file of that name has by its extension alone, without
	// reading it; "application/octet-stream" when the name tells nothing.
	static status_t GuessMimeType(const char* filename, BMimeType* type);
	bool IsSupertypeOnly() const;
	// True when type is this type, or this is type's supertype.
	bool operator==(const BMimeType& type) const;
	bool operator==(const char* type) const;

	// For an application signature, the application's Name (long: its
	// Comment, else its GenericName); for a type, the database's comment.
	// B_ENTRY_NOT_FOUND when neither knows it.
	status_t GetShortDescription(char* description) const;

	// The signature of the application that opens the type: the desktop's
	// default (mimeapps.list) when it is installed, else the first
	// supporting application. B_ENTRY_NOT_FOUND when there is none.

	// Adds to apps the "applications" (signatures) that open the type: first
	// those declaring the type itself (or an alias of it), counted in
	// "be:sub" (int32), then those declaring only its supertype ("image/*"),
	// counted in "be:super". For a supertype alone "be:sub" is 0.
	status_t GetSupportingApps(BMessage* apps) const;

private:
	std::string fType;
	status_t fStatus;
};

#endif
