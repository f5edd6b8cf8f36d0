// Identify() turns most data away by its first bytes before any reader sees
// it. That must never change an answer: every case here is identified twice,
// with the signatures and with the readers alone, and the two must agree,
// on images of every format the translators read, cut short, damaged, and
// on other data made to look like them.
#include <TranslatorRoster.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <BitmapStream.h>
#include <DataIO.h>

#include "TranslationTestSupport.h"
#include "private/Signatures.h"

using namespace std::string_literals;
using namespace translation_test;

namespace {

struct Sample {
	std::string name;
	Bytes data;
};

// What Identify() answers, with the signatures or with the readers alone: 0
// for no translator, else the format's type.
uint32
identified(const Bytes& data, bool signatures)
{
	BPrivate::use_signatures(signatures);
	uint32 type = Identify(data);
	BPrivate::use_signatures(true);
	return type;
}

Bytes
qt_encoded(const char* format, QImage::Format pixels = QImage::Format_RGB32)
{
	QImage image(24, 16, pixels);
	image.fill(Qt::darkCyan);
	return Encode(image, format);
}

// Written by the roster's own translator for type; empty when none writes it.
Bytes
roster_encoded(uint32 type)
{
	BBitmapStream stream(Decode(qt_encoded("png")).release());
	BMallocIO output;
	if (BTranslatorRoster::Default()->Translate(&stream, NULL, NULL, &output, type) != B_OK)
		return Bytes();
	return Bytes((const char*)output.Buffer(),
		(const char*)output.Buffer() + output.BufferLength());
}

Bytes
bytes(const std::string& content)
{
	return Bytes(content.begin(), content.end());
}

const char kXbmBody[] = "#define t_width 8\n#define t_height 2\n"
						"static unsigned char t_bits[] = { 0x01, 0x80 };\n";

// Every format the translators read, and data that starts like one of them.
std::vector<Sample>
all_samples()
{
	std::vector<Sample> result;
	for (const char* format : {"jpeg", "png", "bmp", "tiff", "webp", "ico", "cur", "ppm", "pgm",
			 "pbm", "wbmp", "xbm", "xpm", "icns"})
		result.push_back({format, qt_encoded(format)});
	result.push_back({"indexed png", qt_encoded("png", QImage::Format_Indexed8)});
	QImage noise(120, 90, QImage::Format_RGB32);
	std::mt19937 random(3);
	for (int y = 0; y < noise.height(); y++) {
		for (int x = 0; x < noise.width(); x++)
			noise.setPixel(x, y, random());
	}
	result.push_back({"noisy png", Encode(noise, "png")});
	{
		// Where the JPEG and PNG readers would be asked alone: a comment or
		// chunk that starts like SVG, and an ISO media "ftyp" box.
		Bytes jpeg = qt_encoded("jpeg");
		Bytes comment = bytes("\xff\xfe\0\x08<svg  "s);
		jpeg.insert(jpeg.begin() + 2, comment.begin(), comment.end());
		result.push_back({"jpeg with an svg comment", jpeg});
		Bytes png = qt_encoded("png");
		Bytes chunk = bytes("\0\0\0\x0ctEXtComment\0<!--\x12\x34\x56\x78"s);
		png.insert(png.begin() + 33, chunk.begin(), chunk.end());
		result.push_back({"png with a comment chunk", png});
		result.push_back({"jpeg with an ftyp box",
			bytes("\xff\xd8\xff\xe0"
				  "ftypheic\0\0\0\0mif1heic"s)});
	}
	result.push_back({"gif",
		bytes("GIF89a\1\0\1\0\x80\0\0\xff\xff\xff\0\0\0!\xf9\4\1\0\0\0\0,"
			  "\0\0\0\0\1\0\1\0\0\2\2D\1\0;"s)});
	// An uncompressed true-colour Targa, 2 by 1, with the version 2 footer.
	result.push_back({"tga",
		bytes("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\1\0\x18\0\1\2\3\4\5\6"
			  "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0"s)});
	result.push_back({"plain pbm", bytes("P1\n2 2\n0 1\n1 0\n")});
	result.push_back({"plain pgm", bytes("P2 2 1 255 0 255\n")});
	result.push_back({"xbm after a comment", bytes("/* made by hand */\n"s + kXbmBody)});
	result.push_back({"xbm after other lines", bytes("hello\nworld\n"s + kXbmBody)});
	std::string lines;
	while (lines.size() < 4000)
		lines += std::string(39, 'x') + "\n";
	result.push_back({"xbm after 4000 bytes of short lines", bytes(lines + kXbmBody)});
	result.push_back({"xbm after a long line", bytes(std::string(300, 'x') + "\n" + kXbmBody)});
	result.push_back({"shell script", bytes("#!/bin/sh\necho hi\n")});
	result.push_back({"C source", bytes("#include <stdio.h>\nint main() { return 0; }\n")});
	result.push_back({"wbmp padded type", bytes("\x80\0\0\x08\x02\xff\xff"s)});
	result.push_back({"html with P6", bytes("<html><body>P6</body></html>")});
	result.push_back({"svg",
		bytes("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" "
			  "height=\"4\"><rect width=\"4\" height=\"4\"/></svg>")});
	result.push_back({"riff wave", bytes("RIFF\0\0\0\0WAVEfmt "s)});
	result.push_back({"zip", bytes("PK\3\4\x14\0\0\0\x08\0"s)});
	result.push_back({"zeros", Bytes(64, '\0')});
	result.push_back({"empty", Bytes()});
	result.push_back({"large text", bytes(std::string(9000, 'a'))});
	for (uint32 type : {B_HEIF_FORMAT, B_AVIF_FORMAT, B_JXL_FORMAT}) {
		Bytes data = roster_encoded(type);
		if (!data.empty())
			result.push_back({"library format " + std::to_string(type), data});
	}
	result.push_back({"dng", MakeDng(Halves(8, 8), 1)});
	result.push_back({"bitmap stream", roster_encoded(B_TRANSLATOR_BITMAP)});
	return result;
}

} // namespace

TEST(SignatureTest, DamagedAndLookalikeDataIsIdentifiedAlike)
{
	if (!BPrivate::signatures_in_use())
		GTEST_SKIP() << "image plug-ins with unknown signatures are installed";
	const std::vector<Sample> samples = all_samples();
	// Most of the samples are images, each identified alike whole.
	int images = 0;
	for (const Sample& sample : samples) {
		SCOPED_TRACE(sample.name);
		uint32 reference = identified(sample.data, false);
		EXPECT_EQ(identified(sample.data, true), reference);
		images += reference != 0;
	}
	EXPECT_GE(images, 20);

	std::mt19937 random(11);
	int turnedAway = 0;
	const int kCases = 5000;
	for (int i = 0; i < kCases; i++) {
		const Sample& sample = samples[i % samples.size()];
		Bytes data = sample.data;
		switch (i / samples.size() % 5) {
			case 0:
				// One of the first bytes changed, where the signatures are.
				if (!data.empty())
					data[random() % std::min(data.size(), (size_t)20)] = (char)random();
				break;
			case 1:
				// Cut short.
				data.resize(std::min(data.size(), (size_t)(random() % 600)));
				break;
			case 2: {
				// Padded to about as many bytes as the signatures see, or
				// more: the readers then read the rest.
				const size_t kSizes[] = {BPrivate::kSignatureBytes - 1,
					BPrivate::kSignatureBytes, BPrivate::kSignatureBytes + 1,
					BPrivate::kSignatureBytes * 3};
				data.resize(std::max(data.size(), kSizes[random() % 4]), '\n');
				break;
			}
			case 3:
				// The start kept, the rest random.
				data.resize(std::min(data.size(), (size_t)(random() % 6)));
				for (int k = 0; k < 60; k++)
					data.push_back((char)random());
				break;
			default:
				// Each byte of the first 32 set to a value that matters to
				// some reader (0, 0x80, 1 to 11, '#', 'P', digits).
				if (!data.empty()) {
					static const char kValues[] = {0, '\x80', 1, 2, 3, 9, 10, 11, '#', 'P',
						'6'};
					data[random() % std::min(data.size(), (size_t)32)] =
						kValues[random() % sizeof(kValues)];
				}
				break;
		}
		SCOPED_TRACE(sample.name + " variant " + std::to_string(i));
		uint32 reference = identified(data, false);
		ASSERT_EQ(identified(data, true), reference);
		size_t length = std::min(data.size(), BPrivate::kSignatureBytes);
		turnedAway += !BPrivate::might_be_image((const uint8*)data.data(), length,
			data.size() < BPrivate::kSignatureBytes);
	}
	// The signatures do turn most of it away.
	EXPECT_GT(turnedAway, kCases / 4);
}
