// Test helpers for JPEG files: decoding with libjpeg, and the quantisation tables as stored.
#pragma once

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace quin {

namespace jpegtest {
struct TErr {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
};
inline void Exit(j_common_ptr Info) { std::longjmp(reinterpret_cast<TErr*>(Info->err)->Jump, 1); }
inline void Quiet(j_common_ptr, int) {}

// Decodes into Out; false for data that is no JPEG file.
inline bool Decode(const std::string& Data, TBitmap& Out) {
  jpeg_decompress_struct Info;
  TErr Err;
  Info.err = jpeg_std_error(&Err.Base);
  Err.Base.error_exit = Exit;
  Err.Base.emit_message = Quiet;
  if (setjmp(Err.Jump)) {
    jpeg_destroy_decompress(&Info);
    return false;
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, reinterpret_cast<const unsigned char*>(Data.data()),
               static_cast<unsigned long>(Data.size()));
  jpeg_read_header(&Info, TRUE);
  Info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&Info);
  Out.Width = int(Info.output_width);
  Out.Height = int(Info.output_height);
  Out.Rgb.assign(size_t(Out.Width) * size_t(Out.Height) * 3, 0);
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Row = Out.Rgb.data() + size_t(Info.output_scanline) * size_t(Out.Width) * 3;
    jpeg_read_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  return true;
}
}  // namespace jpegtest

// The file's JPEG quantisation tables by number (0: luminance), each in the stored (zigzag)
// order, read from the DQT segments of 8-bit precision.
inline std::vector<std::vector<int>> JpegQuantTables(const std::string& Data) {
  std::vector<std::vector<int>> Tables(4);
  size_t P = 2;
  while (P + 4 <= Data.size() && (unsigned char)Data[P] == 0xFF) {
    const int Marker = (unsigned char)Data[P + 1];
    const size_t Len = size_t((unsigned char)Data[P + 2]) << 8 | (unsigned char)Data[P + 3];
    if (Marker == 0xDA) break;  // image data follows
    if (Marker == 0xDB)
      for (size_t Q = P + 4; Q + 65 <= P + 2 + Len; Q += 65) {
        const int Id = (unsigned char)Data[Q] & 0x0F;
        for (int I = 0; I < 64; ++I)
          Tables[size_t(Id) & 3].push_back((unsigned char)Data[Q + 1 + size_t(I)]);
      }
    P += 2 + Len;
  }
  return Tables;
}

}  // namespace quin
