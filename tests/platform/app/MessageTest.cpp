#include <Message.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <DataIO.h>
#include <Entry.h>
#include <Messenger.h>
#include <OS.h>

namespace {

const char kLatin1Name[] = "caf\xe9 \xff.jpg";

// A message with every field type the system uses, two or three values each.
BMessage
make_full_message()
{
	BMessage message('FULL');
	message.AddInt8("int8", -8);
	message.AddInt8("int8", 8);
	message.AddInt32("int32", -32);
	message.AddInt32("int32", 32);
	message.AddInt32("int32", INT32_MIN);
	message.AddInt64("int64", INT64_MAX);
	message.AddBool("bool", true);
	message.AddBool("bool", false);
	message.AddFloat("float", 1.5f);
	message.AddString("string", "first");
	message.AddString("string", "");
	message.AddString("string", std::string(kLatin1Name));
	message.AddPointer("pointer", &message);
	message.AddPointer("pointer", NULL);
	const BRect rects[] = {BRect(50, 50, 400, 400), BRect()};
	for (const BRect& rect : rects)
		message.AddData("rect", B_RECT_TYPE, &rect, sizeof(rect));
	message.AddPoint("point", BPoint(-1.5f, 2.5f));

	entry_ref ref(3, 1234, kLatin1Name);
	ref._SetDirectoryPath("/tmp/\xe9t\xe9");
	message.AddRef("refs", &ref);
	entry_ref plain(4, 5, "plain.png");
	message.AddRef("refs", &plain);

	BMessenger messenger;
	messenger._SetTo(11, 12);
	message.AddMessenger("messenger", messenger);

	BMessage inner('INNR');
	inner.AddString("leaf", "value");
	BMessage innermost('DEEP');
	innermost.AddInt32("depth", 2);
	inner.AddMessage("nested", &innermost);
	message.AddMessage("message", &inner);
	message.AddMessage("message", &innermost);

	const char raw[] = {0, 1, 2, 3, 0, (char)0xff};
	message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw), false);
	message.AddData("raw", B_RAW_TYPE, raw, 2, false);
	return message;
}

void
expect_full_message(const BMessage& message, const char* which)
{
	SCOPED_TRACE(which);
	const void* raw;
	ssize_t size;
	ASSERT_EQ(message.FindData("int8", B_INT8_TYPE, 1, &raw, &size), B_OK);
	ASSERT_EQ(size, 1);
	EXPECT_EQ(*(const int8*)raw, 8);
	int32 i32;
	EXPECT_EQ(message.FindInt32("int32", 2, &i32), B_OK);
	EXPECT_EQ(i32, INT32_MIN);
	EXPECT_EQ(message.GetInt32("int32", 0), -32);
	int64 i64;
	EXPECT_EQ(message.FindInt64("int64", &i64), B_OK);
	EXPECT_EQ(i64, INT64_MAX);
	bool flag = true;
	EXPECT_EQ(message.FindBool("bool", 1, &flag), B_OK);
	EXPECT_FALSE(flag);
	EXPECT_TRUE(message.GetBool("bool"));
	EXPECT_EQ(message.GetFloat("float", 0), 1.5f);

	EXPECT_STREQ(message.GetString("string"), "first");
	const char* string;
	EXPECT_EQ(message.FindString("string", 1, &string), B_OK);
	EXPECT_STREQ(string, "");
	std::string bytes;
	EXPECT_EQ(message.FindString("string", 2, &bytes), B_OK);
	EXPECT_EQ(bytes, kLatin1Name);

	void* pointer = NULL;
	EXPECT_EQ(message.FindPointer("pointer", 1, &pointer), B_OK);
	EXPECT_EQ(pointer, nullptr);
	EXPECT_EQ(message.GetRect("rect", BRect(1, 1, 1, 1)), BRect(50, 50, 400, 400));
	BRect invalid(1, 2, 3, 4);
	EXPECT_EQ(message.FindRect("rect", 1, &invalid), B_OK);
	EXPECT_FALSE(invalid.IsValid());
	EXPECT_EQ(message.GetPoint("point", BPoint()), BPoint(-1.5f, 2.5f));

	entry_ref ref;
	ASSERT_EQ(message.FindRef("refs", &ref), B_OK);
	EXPECT_EQ(ref, entry_ref(3, 1234, kLatin1Name));
	EXPECT_STREQ(ref._DirectoryPath(), "/tmp/\xe9t\xe9");
	ASSERT_EQ(message.FindRef("refs", 1, &ref), B_OK);
	EXPECT_EQ(ref, entry_ref(4, 5, "plain.png"));
	EXPECT_EQ(ref._DirectoryPath(), nullptr);

	BMessenger messenger;
	ASSERT_EQ(message.FindMessenger("messenger", &messenger), B_OK);
	EXPECT_EQ(messenger._LooperToken(), 11);
	EXPECT_EQ(messenger._HandlerToken(), 12);

	BMessage inner, innermost;
	ASSERT_EQ(message.FindMessage("message", &inner), B_OK);
	EXPECT_EQ(inner.what, (uint32)'INNR');
	EXPECT_STREQ(inner.GetString("leaf"), "value");
	ASSERT_EQ(inner.FindMessage("nested", &innermost), B_OK);
	EXPECT_EQ(innermost.GetInt32("depth", 0), 2);

	ASSERT_EQ(message.FindData("raw", B_RAW_TYPE, 0, &raw, &size), B_OK);
	ASSERT_EQ(size, 6);
	EXPECT_EQ(memcmp(raw, "\0\1\2\3\0\xff", 6), 0);
	ASSERT_EQ(message.FindData("raw", B_ANY_TYPE, 1, &raw, &size), B_OK);
	EXPECT_EQ(size, 2);
}

std::vector<char>
flatten(const BMessage& message)
{
	std::vector<char> data(message.FlattenedSize());
	EXPECT_EQ(message.Flatten(data.data(), data.size()), B_OK);
	return data;
}

} // namespace

TEST(MessageTest, EveryFieldTypeSurvivesCopyAndFlattening)
{
	BMessage original = make_full_message();
	expect_full_message(original, "original");

	BMessage copy(original);
	original.MakeEmpty();
	expect_full_message(copy, "copy");

	std::vector<char> data = flatten(copy);
	BMessage fromBuffer;
	ASSERT_EQ(fromBuffer.Unflatten(data.data(), data.size()), B_OK);
	expect_full_message(fromBuffer, "buffer");

	BMallocIO stream;
	ssize_t written = 0;
	ASSERT_EQ(copy.Flatten(&stream, &written), B_OK);
	EXPECT_EQ(written, (ssize_t)data.size());
	stream.Write("trailing", 8);
	stream.Seek(0, SEEK_SET);
	BMessage fromStream;
	ASSERT_EQ(fromStream.Unflatten(&stream), B_OK);
	EXPECT_EQ(flatten(fromStream), data);
	EXPECT_EQ(stream.Position(), written) << "reads exactly one message";
}

TEST(MessageTest, ErrorsFollowThePlatformContract)
{
	BMessage message('ERRS');
	ASSERT_EQ(message.AddInt32("number", 1), B_OK);
	EXPECT_EQ(message.AddString("number", "one"), B_BAD_TYPE);
	EXPECT_EQ(message.AddInt64("number", 1), B_BAD_TYPE);
	EXPECT_EQ(message.AddInt32(NULL, 1), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("text", (const char*)NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("ref", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddMessage("msg", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("any", B_ANY_TYPE, "x", 1), B_BAD_TYPE);

	const char* string;
	int32 number;
	EXPECT_EQ(message.FindString("number", &string), B_BAD_TYPE);
	EXPECT_EQ(message.FindInt32("missing", &number), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.FindInt32("number", 1, &number), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32("number", -1, &number), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32("number", (int32*)NULL), B_BAD_VALUE);
	EXPECT_EQ(message.FindInt32(NULL, &number), B_BAD_VALUE);
	EXPECT_EQ(message.GetInt32("missing", 42), 42);
	EXPECT_EQ(message.GetString("number", "fallback"), std::string("fallback"));

	EXPECT_EQ(message.RemoveName("missing"), B_NAME_NOT_FOUND);

	// A fixed-size field keeps one size; data of another size is refused.
	EXPECT_EQ(message.AddData("number", B_INT32_TYPE, "ab", 2), B_BAD_VALUE);
	EXPECT_EQ(message.GetInt32("number", 0), 1);

	// Typed look-ups check what AddData stored before reading it.
	message.AddData("unterminated", B_STRING_TYPE, "abc", 3, false);
	EXPECT_EQ(message.FindString("unterminated", &string), B_BAD_VALUE);
	message.AddData("short", B_INT64_TYPE, "abcd", 4);
	int64 big;
	EXPECT_EQ(message.FindInt64("short", &big), B_BAD_VALUE);
	message.AddData("ref", B_REF_TYPE, "garbage", 7, false);
	entry_ref ref;
	EXPECT_EQ(message.FindRef("ref", &ref), B_BAD_VALUE);
	message.AddData("message", B_MESSAGE_TYPE, "garbage!", 8, false);
	BMessage inner;
	EXPECT_EQ(message.FindMessage("message", &inner), B_NOT_A_MESSAGE);
}

TEST(MessageTest, UnflattenRefusesTruncatedAndForeignData)
{
	std::vector<char> data = flatten(make_full_message());
	BMessage target('KEEP');
	target.AddString("kept", "yes");
	for (size_t length = 0; length < data.size(); length++) {
		// Exactly as long as the cut data, so that any read past it is caught.
		std::vector<char> exact(data.begin(), data.begin() + length);
		ASSERT_EQ(target.Unflatten(exact.data(), length), B_BAD_VALUE) << "length " << length;
		BMemoryIO stream(exact.data(), length);
		ASSERT_EQ(target.Unflatten(&stream), B_BAD_VALUE) << "stream length " << length;
	}
	EXPECT_EQ(target.what, (uint32)'KEEP') << "a failed Unflatten changes nothing";
	EXPECT_STREQ(target.GetString("kept"), "yes");

	std::vector<char> foreign = data;
	foreign[0] ^= 0x55;
	EXPECT_EQ(target.Unflatten(foreign.data(), foreign.size()), B_NOT_A_MESSAGE);
	BMemoryIO foreignStream(foreign.data(), foreign.size());
	EXPECT_EQ(target.Unflatten(&foreignStream), B_NOT_A_MESSAGE);
	EXPECT_EQ(target.Unflatten((const char*)NULL, 10), B_BAD_VALUE);
}

// Hand-made messages whose size, count and length fields lie: each must
// fail without reading outside the buffer (AddressSanitizer watches) and
// without reserving what the lie claims.
TEST(MessageTest, UnflattenRefusesLyingSizesAndCounts)
{
	BMessage sample('LIAR');
	sample.AddInt32("number", 7);
	sample.AddString("text", "hello");
	std::vector<char> data = flatten(sample);
	// Offsets in the flattened form: the message size, the field count, and
	// for the first field its name length and value count, then the size of
	// its first value.
	const size_t kSize = 4, kFieldCount = 44, kNameLength = 56, kValueCount = 66,
				 kValueSize = 70;
	struct Lie {
		const char* what;
		size_t offset;
		uint32 value;
	} lies[] = {
		// A stream is read as far as it goes before the size is refused.
		{"message size 1 GiB", kSize, 1u << 30},
		{"message size 2^32 - 16", kSize, 0xfffffff0},
		{"message size past the end", kSize, (uint32)data.size() + 1},
		{"message size below the header", kSize, 8},
		{"field count 2^32 - 1", kFieldCount, 0xffffffff},
		{"one field more", kFieldCount, 3},
		{"name length 1 GiB", kNameLength, 1u << 30},
		{"name length one past", kNameLength, 7},
		{"value count 2^32 - 1", kValueCount, 0xffffffff},
		{"value count 2^28", kValueCount, 1u << 28},
		{"value size 1 GiB", kValueSize, 1u << 30},
		{"value size 2^32 - 1", kValueSize, 0xffffffff},
	};
	ASSERT_EQ(memcmp(data.data() + kNameLength + 4, "number", 6), 0) << "layout changed";
	for (const Lie& lie : lies) {
		SCOPED_TRACE(lie.what);
		// The copy is exactly as long as the data, so any read past it is caught.
		std::vector<char> bytes = data;
		memcpy(bytes.data() + lie.offset, &lie.value, 4);
		BMessage target('KEEP');
		EXPECT_EQ(target.Unflatten(bytes.data(), bytes.size()), B_BAD_VALUE);
		EXPECT_EQ(target.what, (uint32)'KEEP');
		BMemoryIO stream(bytes.data(), bytes.size());
		EXPECT_EQ(target.Unflatten(&stream), B_BAD_VALUE);
	}
}

// Many small fields: checking that names are unique must not take
// quadratic time.
TEST(MessageTest, UnflattenOfManyFieldsTakesLinearTime)
{
	// Written by hand: adding that many fields one by one looks each name up.
	const uint32 kFields = 100000;
	std::vector<char> data = flatten(BMessage('MANY'));
	auto put = [&](uint32 value) {
		data.insert(data.end(), (const char*)&value, (const char*)&value + 4);
	};
	for (uint32 i = 0; i < kFields; i++) {
		std::string name = std::to_string(i);
		put(B_RAW_TYPE);
		put(0);
		put((uint32)name.size());
		data.insert(data.end(), name.begin(), name.end());
		put(1);
		put(0);
	}
	uint32 size = (uint32)data.size();
	memcpy(data.data() + 4, &size, 4);
	memcpy(data.data() + 44, &kFields, 4);
	bigtime_t start = system_time();
	BMessage target;
	ASSERT_EQ(target.Unflatten(data.data(), data.size()), B_OK);
	EXPECT_LT(system_time() - start, 10000000);
	EXPECT_TRUE(target.HasData("0", B_RAW_TYPE));
	EXPECT_TRUE(target.HasData("99999", B_RAW_TYPE));

	// The same with two names alike at the end is refused.
	std::vector<char> duplicate = data;
	char* lastName = duplicate.data() + duplicate.size() - 4 - 4 - 5;
	ASSERT_EQ(memcmp(lastName, "99999", 5), 0);
	memcpy(lastName, "99998", 5);
	EXPECT_EQ(target.Unflatten(duplicate.data(), duplicate.size()), B_BAD_VALUE);
}

TEST(MessageTest, UnflattenSurvivesCorruption)
{
	std::vector<char> data = flatten(make_full_message());
	std::mt19937 random(1234);
	for (int round = 0; round < 3000; round++) {
		std::vector<char> broken = data;
		int changes = 1 + random() % 4;
		for (int i = 0; i < changes; i++)
			broken[8 + random() % (broken.size() - 8)] = (char)random();
		BMessage message;
		if (message.Unflatten(broken.data(), broken.size()) != B_OK)
			continue;
		// Whatever was accepted must be safe to read back in full.
		BMessage inner;
		entry_ref ref;
		std::string text;
		for (int32 i = 0; i < 3; i++) {
			message.FindMessage("message", i, &inner);
			message.FindRef("refs", i, &ref);
			message.FindString("string", i, &text);
		}
		std::vector<char> again(message.FlattenedSize());
		ASSERT_EQ(message.Flatten(again.data(), again.size()), B_OK);
	}
}
