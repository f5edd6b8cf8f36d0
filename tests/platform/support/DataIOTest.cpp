#include <DataIO.h>
#include <List.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

TEST(DataIOTest, MallocIOGrowsAndReadsBack)
{
	BMallocIO io;
	std::string data(3000, 'x');
	data[2999] = 'y';
	EXPECT_EQ(io.Write(data.data(), data.size()), (ssize_t)data.size());
	EXPECT_EQ(io.Position(), (off_t)data.size());

	// Writing past the end fills the gap with zeros.
	EXPECT_EQ(io.WriteAt(3010, "z", 1), 1);
	EXPECT_EQ(io.BufferLength(), 3011u);
	EXPECT_EQ(((const char*)io.Buffer())[3005], 0);

	char back[4] = {};
	EXPECT_EQ(io.ReadAt(2998, back, 4), 4);
	EXPECT_EQ(back[1], 'y');
	off_t size = 0;
	EXPECT_EQ(io.GetSize(&size), B_OK);
	EXPECT_EQ(size, 3011);
	EXPECT_EQ(io.ReadAt(5000, back, 4), 0);
}

TEST(DataIOTest, MemoryIOHonoursItsBoundsAndReadOnlyData)
{
	const char source[] = "abcdef";
	BMemoryIO reader((const void*)source, 6);
	char buffer[10] = {};
	EXPECT_EQ(reader.Read(buffer, 10), 6);
	EXPECT_STREQ(buffer, "abcdef");
	EXPECT_EQ(reader.Read(buffer, 10), 0);
	EXPECT_EQ(reader.WriteAt(0, "x", 1), B_NOT_ALLOWED);
	EXPECT_LT(reader.Seek(-1, SEEK_SET), 0);

	char storage[4] = {};
	BMemoryIO writer(storage, sizeof(storage));
	EXPECT_EQ(writer.Write("123456", 6), 4);
	EXPECT_EQ(writer.Write("7", 1), 0);
	EXPECT_EQ(memcmp(storage, "1234", 4), 0);
}

TEST(DataIOTest, ListSortsByteWise)
{
	BList list(10);
	const char* names[] = {"apple.png", "Zebra.png", "banana.jpg", "Apple.png"};
	for (const char* name : names)
		list.AddItem((void*)name);
	list.SortItems([](const void* a, const void* b) {
		return strcmp(*(const char* const*)a, *(const char* const*)b);
	});
	ASSERT_EQ(list.CountItems(), 4);
	EXPECT_STREQ((const char*)list.ItemAt(0), "Apple.png");
	EXPECT_STREQ((const char*)list.ItemAt(1), "Zebra.png");
	EXPECT_STREQ((const char*)list.ItemAt(2), "apple.png");
	EXPECT_EQ(list.ItemAt(4), nullptr);
	EXPECT_EQ(list.ItemAt(-1), nullptr);
	EXPECT_TRUE(list.RemoveItem((void*)names[1]));
	EXPECT_EQ(list.IndexOf((void*)names[1]), -1);
	EXPECT_FALSE(list.AddItem(NULL, 9));
}
