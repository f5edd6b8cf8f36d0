#include "MimeType.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QMimeDatabase>

#include <Message.h>

#include "DesktopFiles.h"

using namespace BPrivate;

namespace {

// RFC 2045's tspecials; "/" only separates the two parts.
const char kSpecials[] = "()<>@,;:\\\"/[]?=";


bool
valid_part(const std::string& part)
{
	if (part.empty())
		return false;
	for (char c : part) {
		unsigned char byte = (unsigned char)c;
		if (byte <= 0x20 || byte >= 0x7f || strchr(kSpecials, c) != NULL)
			return false;
	}
	return true;
}


// Copies text into a B_MIME_TYPE_LENGTH buffer, cut where a UTF-8
// character begins.
void
copy_text(const std::string& text, char* buffer)
{
	size_t length = std::min(text.size(), (size_t)B_MIME_TYPE_LENGTH - 1);
	if (length < text.size()) {
		while (length > 0 && ((unsigned char)text[length] & 0xc0) == 0x80)
			length--;
	}
	memcpy(buffer, text.data(), length);
	buffer[length] = '\0';
}


QMimeType
database_type(const std::string& type)
{
	return QMimeDatabase().mimeTypeForName(QString::fromLatin1(type.c_str()));
}


// The type's own name and every name the database knows it by.
std::vector<std::string>
names_of(const std::string& type)
{
	std::vector<std::string> names = {lower_case(type)};
	QMimeType known = database_type(type);
	if (!known.isValid())
		return names;
	names.push_back(lower_case(known.name().toStdString()));
	for (const QString& alias : known.aliases())
		names.push_back(lower_case(alias.toStdString()));
	return names;
}


bool
declares_any(const DesktopApplication& application, const std::vector<std::string>& names)
{
	for (const std::string& declared : application.mimeTypes) {
		if (std::find(names.begin(), names.end(), declared) != names.end())
			return true;
	}
	return false;
}

} // namespace


BMimeType::BMimeType(const char* type) :
	fStatus(B_NO_INIT)
{
	SetTo(type);
}


BMimeType::~BMimeType()
{
}


status_t
BMimeType::SetTo(const char* type)
{
	Unset();
	if (type == NULL)
		return fStatus;
	if (!IsValid(type))
		return fStatus = B_BAD_VALUE;
	fType = type;
	return fStatus = B_OK;
}


void
BMimeType::Unset()
{
	fType.clear();
	fStatus = B_NO_INIT;
}


const char*
BMimeType::Type() const
{
	return fStatus == B_OK ? fType.c_str() : NULL;
}


status_t
BMimeType::GuessMimeType(const char* filename, BMimeType* type)
{
	if (filename == NULL || type == NULL)
		return B_BAD_VALUE;
	QMimeType guessed = QMimeDatabase().mimeTypeForFile(QString::fromLocal8Bit(filename),
		QMimeDatabase::MatchExtension);
	return type->SetTo(guessed.name().toLatin1().constData());
}


bool
BMimeType::IsValid(const char* type)
{
	if (type == NULL || strlen(type) >= B_MIME_TYPE_LENGTH)
		return false;
	std::string text = type;
	size_t slash = text.find('/');
	if (slash == std::string::npos)
		return valid_part(text);
	return valid_part(text.substr(0, slash)) && valid_part(text.substr(slash + 1));
}


bool
BMimeType::IsSupertypeOnly() const
{
	return fStatus == B_OK && fType.find('/') == std::string::npos;
}


bool
BMimeType::operator==(const BMimeType& type) const
{
	return fStatus == type.fStatus && lower_case(fType) == lower_case(type.fType);
}


bool
BMimeType::operator==(const char* type) const
{
	BMimeType other(type);
	return *this == other;
}


status_t
BMimeType::GetShortDescription(char* description) const
{
	if (description == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	DesktopApplication application;
	if (find_application(fType, application)) {
		copy_text(application.name, description);
		return B_OK;
	}
	QMimeType known = database_type(fType);
	if (!known.isValid())
		return B_ENTRY_NOT_FOUND;
	copy_text(known.comment().toStdString(), description);
	return B_OK;
}


status_t
BMimeType::GetSupportingApps(BMessage* apps) const
{
	if (apps == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	std::string super = lower_case(fType.substr(0, fType.find('/')));
	std::vector<std::string> exact;
	if (!IsSupertypeOnly())
		exact = names_of(fType);
	std::vector<std::string> superNames = {super, super + "/*"};

	std::vector<std::string> subs;
	std::vector<std::string> supers;
	for (const DesktopApplication& application : installed_applications()) {
		const std::string& signature = application.signature;
		if (std::find(subs.begin(), subs.end(), signature) != subs.end()
			|| std::find(supers.begin(), supers.end(), signature) != supers.end())
			continue;
		if (declares_any(application, exact))
			subs.push_back(signature);
		else if (declares_any(application, superNames))
			supers.push_back(signature);
	}
	for (const std::string& signature : subs)
		apps->AddString("applications", signature.c_str());
	for (const std::string& signature : supers)
		apps->AddString("applications", signature.c_str());
	apps->AddInt32("be:sub", (int32)subs.size());
	apps->AddInt32("be:super", (int32)supers.size());
	return B_OK;
}
