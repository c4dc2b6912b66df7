// The test AVI writer: what it writes is walked chunk by chunk and checked against the
// RIFF AVI layout (sizes, counts, stream headers and formats, frame bits, the index).
#include "support/AviWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

uint32_t U32(const std::string& b, size_t at) {
  if (at + 4 > b.size()) throw std::out_of_range("read past the end");
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}
uint16_t U16(const std::string& b, size_t at) {
  if (at + 2 > b.size()) throw std::out_of_range("read past the end");
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

struct Chunk {
  std::string Id;
  std::string Type;  // the form type of a RIFF or LIST
  size_t Offset;     // of the chunk's id
  std::string Data;  // after the form type for a list
  std::vector<Chunk> Children;
};

// Walks [begin, end): every chunk's size must fit, lists are walked into.
std::vector<Chunk> Walk(const std::string& b, size_t begin, size_t end) {
  std::vector<Chunk> chunks;
  size_t at = begin;
  while (at < end) {
    EXPECT_LE(at + 8, end) << "chunk header past its parent at " << at;
    Chunk c{b.substr(at, 4), "", at, "", {}};
    const uint32_t size = U32(b, at + 4);
    EXPECT_LE(at + 8 + size, end) << c.Id << " at " << at << " overruns its parent";
    if (at + 8 + size > end) break;
    if (c.Id == "LIST" || c.Id == "RIFF") {
      c.Type = b.substr(at + 8, 4);
      c.Children = Walk(b, at + 12, at + 8 + size);
    } else {
      c.Data = b.substr(at + 8, size);
    }
    chunks.push_back(std::move(c));
    at += 8 + size + (size & 1);
  }
  EXPECT_EQ(at, end) << "chunks do not end where their parent does";
  return chunks;
}

const Chunk& Find(const std::vector<Chunk>& chunks, const std::string& id, const std::string& type = "",
                  int nth = 0) {
  for (const Chunk& c : chunks)
    if (c.Id == id && c.Type == type && nth-- == 0) return c;
  throw std::runtime_error("no " + id + " " + type);
}

struct StreamHeader {
  std::string Type, Handler;
  uint32_t Scale, Rate, Start, Length, SampleSize;
  int16_t Right, Bottom;
};
StreamHeader ReadStreamHeader(const std::string& d) {
  EXPECT_EQ(d.size(), 56u);
  return {d.substr(0, 4),  d.substr(4, 4),  U32(d, 20), U32(d, 24), U32(d, 28), U32(d, 32),
          U32(d, 44), static_cast<int16_t>(U16(d, 52)), static_cast<int16_t>(U16(d, 54))};
}

struct ParsedAvi {
  std::string Bytes;
  std::vector<Chunk> Top;
  const Chunk* Hdrl;
  const Chunk* Movi;
  const Chunk* Idx1;
};

ParsedAvi Parse(std::string bytes) {
  ParsedAvi p{std::move(bytes), {}, nullptr, nullptr, nullptr};
  EXPECT_EQ(p.Bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(p.Bytes, 4), p.Bytes.size() - 8) << "RIFF size";
  p.Top = Walk(p.Bytes, 0, p.Bytes.size());
  const Chunk& riff = Find(p.Top, "RIFF", "AVI ");
  p.Hdrl = &Find(riff.Children, "LIST", "hdrl");
  p.Movi = &Find(riff.Children, "LIST", "movi");
  p.Idx1 = &Find(riff.Children, "idx1");
  return p;
}

// Every index entry names the chunk of 'movi' at its offset (from the 'movi' type), in
// order, with its length; all are key frames.
void ExpectIndexMatchesMovi(const ParsedAvi& p) {
  const std::string& idx = p.Idx1->Data;
  ASSERT_EQ(idx.size() % 16, 0u);
  ASSERT_EQ(idx.size() / 16, p.Movi->Children.size());
  const size_t moviType = p.Movi->Offset + 8;
  for (size_t i = 0; i < p.Movi->Children.size(); ++i) {
    const Chunk& c = p.Movi->Children[i];
    SCOPED_TRACE("index entry " + std::to_string(i));
    EXPECT_EQ(idx.substr(16 * i, 4), c.Id);
    EXPECT_EQ(U32(idx, 16 * i + 4), 0x10u);
    EXPECT_EQ(U32(idx, 16 * i + 8), c.Offset - moviType);
    EXPECT_EQ(U32(idx, 16 * i + 12), c.Data.size());
  }
}

TEST(AviWriter, AVideoOnlyFileHasItsHeadersBottomUpFramesAndIndex) {
  AviContents contents;
  contents.Video = {3, 2, 4, 2, 25, 1, [](int32_t f, int32_t x, int32_t y) {
                  return static_cast<uint32_t>(f << 16 | x << 8 | y);
                }};
  const ParsedAvi p = Parse(BuildAvi(contents));

  const std::string& avih = Find(p.Hdrl->Children, "avih").Data;
  ASSERT_EQ(avih.size(), 56u);
  EXPECT_EQ(U32(avih, 0), 80000u);  // 2/25 s
  EXPECT_EQ(U32(avih, 12) & 0x10u, 0x10u) << "AVIF_HASINDEX";
  EXPECT_EQ(U32(avih, 16), 4u);
  EXPECT_EQ(U32(avih, 24), 1u);
  EXPECT_EQ(U32(avih, 32), 3u);
  EXPECT_EQ(U32(avih, 36), 2u);

  const Chunk& strl = Find(p.Hdrl->Children, "LIST", "strl");
  EXPECT_THROW(Find(p.Hdrl->Children, "LIST", "strl", 1), std::runtime_error) << "one stream only";
  const StreamHeader h = ReadStreamHeader(Find(strl.Children, "strh").Data);
  EXPECT_EQ(h.Type, "vids");
  EXPECT_EQ(h.Scale, 2u);
  EXPECT_EQ(h.Rate, 25u);
  EXPECT_EQ(h.Start, 1u);
  EXPECT_EQ(h.Length, 4u);
  EXPECT_EQ(h.Right, 3);
  EXPECT_EQ(h.Bottom, 2);
  const std::string& bih = Find(strl.Children, "strf").Data;
  ASSERT_EQ(bih.size(), 40u);
  EXPECT_EQ(U32(bih, 0), 40u);
  EXPECT_EQ(U32(bih, 4), 3u);
  EXPECT_EQ(U32(bih, 8), 2u) << "positive height: bottom-up";
  EXPECT_EQ(U16(bih, 12), 1);
  EXPECT_EQ(U16(bih, 14), 24);
  EXPECT_EQ(U32(bih, 16), 0u) << "BI_RGB";
  EXPECT_EQ(U32(bih, 20), 24u);

  ASSERT_EQ(p.Movi->Children.size(), 4u);
  for (int f = 0; f < 4; ++f) {
    const Chunk& c = p.Movi->Children[f];
    EXPECT_EQ(c.Id, "00dc");
    ASSERT_EQ(c.Data.size(), 24u) << "rows of 9 bytes padded to 12";
    // The first row stored is the bottom one (y 1); pixels are blue, green, red.
    for (int row = 0; row < 2; ++row)
      for (int x = 0; x < 3; ++x) {
        const size_t at = row * 12 + x * 3;
        EXPECT_EQ(static_cast<uint8_t>(c.Data[at]), 1 - row) << f << " " << x;
        EXPECT_EQ(static_cast<uint8_t>(c.Data[at + 1]), x);
        EXPECT_EQ(static_cast<uint8_t>(c.Data[at + 2]), f);
      }
    EXPECT_EQ(c.Data.substr(9, 3), std::string(3, '\0'));
  }
  ExpectIndexMatchesMovi(p);
}

struct AudioCase {
  const char* name;
  uint16_t channels;
  std::optional<uint32_t> sampleSize;
  uint32_t wantSampleSize;
  uint32_t wantLength;  // 1000 samples in 5 chunks
};

TEST(AviWriter, AnAudioStreamIsInterleavedWithItsSampleSizeAndLength) {
  const AudioCase cases[] = {
      {"mono", 1, std::nullopt, 2, 1000},
      {"stereo", 2, std::nullopt, 4, 1000},
      {"samples of varying size", 2, 0u, 0, 5},
      {"4096-byte samples", 2, 4096u, 4096, 0},
  };
  for (const AudioCase& c : cases) {
    SCOPED_TRACE(c.name);
    AviContents contents;
    contents.Video = {2, 2, 5, 1, 10, 0, FrameColours({0x102030})};
    contents.Audio = AviAudio{c.channels, 2000, std::nullopt, c.sampleSize,
                          [](int64_t s, int ch) { return static_cast<int16_t>(ch ? -s : s); }};
    const ParsedAvi p = Parse(BuildAvi(contents));

    const std::string& avih = Find(p.Hdrl->Children, "avih").Data;
    EXPECT_EQ(U32(avih, 24), 2u);
    EXPECT_EQ(U32(avih, 12) & 0x100u, 0x100u) << "AVIF_ISINTERLEAVED";
    const Chunk& strl = Find(p.Hdrl->Children, "LIST", "strl", 1);
    const StreamHeader h = ReadStreamHeader(Find(strl.Children, "strh").Data);
    EXPECT_EQ(h.Type, "auds");
    EXPECT_EQ(h.SampleSize, c.wantSampleSize);
    EXPECT_EQ(h.Length, c.wantLength);
    EXPECT_EQ(static_cast<double>(h.Rate) / h.Scale, 2000.0) << "samples per second";
    const std::string& wf = Find(strl.Children, "strf").Data;
    ASSERT_EQ(wf.size(), 16u);
    EXPECT_EQ(U16(wf, 0), 1) << "WAVE_FORMAT_PCM";
    EXPECT_EQ(U16(wf, 2), c.channels);
    EXPECT_EQ(U32(wf, 4), 2000u);
    EXPECT_EQ(U32(wf, 8), 2000u * 2 * c.channels);
    EXPECT_EQ(U16(wf, 12), 2 * c.channels);
    EXPECT_EQ(U16(wf, 14), 16);

    // A frame, then the 200 samples of its tenth of a second, five times over.
    ASSERT_EQ(p.Movi->Children.size(), 10u);
    std::string sound;
    for (size_t i = 0; i < 10; ++i) {
      EXPECT_EQ(p.Movi->Children[i].Id, i % 2 ? "01wb" : "00dc") << i;
      if (i % 2) sound += p.Movi->Children[i].Data;
    }
    ASSERT_EQ(sound.size(), 1000u * 2 * c.channels);
    const size_t frame = 2u * c.channels;
    for (int64_t s : {0, 1, 599, 999}) {
      EXPECT_EQ(static_cast<int16_t>(U16(sound, s * frame)), s);
      if (c.channels == 2) {
        EXPECT_EQ(static_cast<int16_t>(U16(sound, s * frame + 2)), -s);
      }
    }
    ExpectIndexMatchesMovi(p);
  }
}

TEST(AviWriter, SeventyThousandTinyFramesMakeASmallFile) {
  AviContents contents;
  contents.Video = {2, 2, 70000, 1, 1000, 0, FrameColours({0xFF0000, 0x00FF00})};
  const std::string bytes = BuildAvi(contents);
  // 16 bytes of bits, 8 of chunk header and 16 of index entry a frame.
  EXPECT_LT(bytes.size(), 70000u * 40 + 4096);
  const ParsedAvi p = Parse(bytes);
  EXPECT_EQ(p.Movi->Children.size(), 70000u);
  EXPECT_EQ(p.Idx1->Data.size(), 70000u * 16);
  EXPECT_EQ(static_cast<uint8_t>(p.Movi->Children[69999].Data[1]), 0xFF) << "odd frames green";
  ExpectIndexMatchesMovi(p);
}

TEST(AviWriter, ASineHasItsPeriodAndAmplitude) {
  const AviSampleFn sine = SineWave(1000, 10000, 8000);  // 8 samples a period
  const int16_t want[] = {0, 7071, 10000, 7071, 0, -7071, -10000, -7071, 0};
  for (int s = 0; s <= 8; ++s) EXPECT_EQ(sine(s, s % 2), want[s]) << s;
}

// Valid contents, spoilt one way at a time.
TEST(AviWriter, ContentsThatMakeNoFileAreRefused) {
  auto valid = [] {
    return AviContents{{2, 2, 1, 1, 10, 0, FrameColours({0x808080})},
                   AviAudio{1, 8000, std::nullopt, std::nullopt, [](int64_t, int) -> int16_t { return 0; }}};
  };
  EXPECT_NO_THROW(BuildAvi(valid()));
  struct Bad {
    const char* name;
    void (*spoil)(AviContents&);
  };
  const Bad bad[] = {
      {"zero width", [](AviContents& s) { s.Video.Width = 0; }},
      {"negative frame count", [](AviContents& s) { s.Video.Frames = -1; }},
      {"no pixel function", [](AviContents& s) { s.Video.Pixel = nullptr; }},
      {"no sample function", [](AviContents& s) { s.Audio->Sample = nullptr; }},
      {"no channels", [](AviContents& s) { s.Audio->Channels = 0; }},
      {"audio length of a rate-0 video", [](AviContents& s) { s.Video.Rate = 0; }},
  };
  for (const Bad& b : bad) {
    AviContents contents = valid();
    b.spoil(contents);
    EXPECT_THROW(BuildAvi(contents), std::invalid_argument) << b.name;
  }
  EXPECT_THROW(FrameColours({}), std::invalid_argument);

  // A rate-0 video with its audio length given is a file.
  AviContents rateZero = valid();
  rateZero.Video.Frames = 3;
  rateZero.Video.Rate = 0;
  rateZero.Audio->Samples = 300;
  const ParsedAvi p = Parse(BuildAvi(rateZero));
  EXPECT_EQ(p.Movi->Children.size(), 6u);
}

}  // namespace
