// A flattened message from an untrusted source (the single-launch socket,
// a stored attribute): Unflatten must read nothing outside the bytes given
// and take no more memory than they justify. What it accepts must survive
// the readers a receiver uses and flatten back to the same message.
#include <cstdlib>
#include <vector>

#include <Entry.h>
#include <Message.h>

static void
read_fields(const BMessage& message, int depth)
{
	char* name;
	type_code type;
	int32 count;
	for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
		for (int32 j = 0; j < count; j++) {
			const void* data;
			ssize_t size;
			if (message.FindData(name, type, j, &data, &size) != B_OK)
				abort();
			entry_ref ref;
			BMessage nested;
			const char* string;
			if (type == B_REF_TYPE)
				message.FindRef(name, j, &ref);
			else if (type == B_STRING_TYPE)
				message.FindString(name, j, &string);
			else if (type == B_MESSAGE_TYPE && depth < 8
				&& message.FindMessage(name, j, &nested) == B_OK)
				read_fields(nested, depth + 1);
		}
	}
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message('KEEP');
	if (message.Unflatten(reinterpret_cast<const char*>(data), size) != B_OK) {
		if (message.what != 'KEEP' || !message.IsEmpty())
			abort();
		return 0;
	}
	read_fields(message, 0);

	std::vector<char> flat(message.FlattenedSize());
	if (message.Flatten(flat.data(), flat.size()) != B_OK)
		abort();
	BMessage again;
	if (again.Unflatten(flat.data(), flat.size()) != B_OK
		|| again.FlattenedSize() != (ssize_t)flat.size())
		abort();
	std::vector<char> twice(flat.size());
	if (again.Flatten(twice.data(), twice.size()) != B_OK || twice != flat)
		abort();
	return 0;
}
