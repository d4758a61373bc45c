#include "platform/jpeg.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "base/orvstreams.h"

// libjpeg's header needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace quin {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the encoding routine, which turns the message into an exception outside the library.
struct TJpegErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr Info) {
  auto* E = reinterpret_cast<TJpegErrorManager*>(Info->err);
  (*Info->err->format_message)(Info, E->Message);
  std::longjmp(E->Jump, 1);
}

extern "C" void JpegSilence(j_common_ptr, int) {}

// The encoding itself, free of C++ objects with destructors between setjmp and longjmp.
// Returns false with Error filled when libjpeg failed.
bool EncodeRows(const TBitmap& Bitmap, int Quality, unsigned char** Out, unsigned long* OutSize,
                char* Error) {
  jpeg_compress_struct Info;
  TJpegErrorManager Err;
  Info.err = jpeg_std_error(&Err.Base);
  Err.Base.error_exit = JpegErrorExit;
  Err.Base.emit_message = JpegSilence;
  Err.Message[0] = '\0';
  if (setjmp(Err.Jump)) {
    jpeg_destroy_compress(&Info);
    for (int I = 0; I < JMSG_LENGTH_MAX && (Error[I] = Err.Message[I]) != '\0'; ++I) {
    }
    return false;
  }
  jpeg_create_compress(&Info);
  jpeg_mem_dest(&Info, Out, OutSize);
  Info.image_width = JDIMENSION(Bitmap.Width);
  Info.image_height = JDIMENSION(Bitmap.Height);
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Quality, TRUE);
  jpeg_start_compress(&Info, TRUE);
  const size_t Stride = size_t(Bitmap.Width) * 3;
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Row = const_cast<JSAMPLE*>(Bitmap.Rgb.data() + size_t(Info.next_scanline) * Stride);
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  return true;
}

}  // namespace

std::string EncodeJpeg(const TBitmap& Bitmap, int Quality) {
  if (!ValidBitmapSize(Bitmap.Width, Bitmap.Height))
    throw EJpegError("JPEG: the picture's size is out of range");
  if (Bitmap.Rgb.size() != size_t(Bitmap.Width) * size_t(Bitmap.Height) * 3)
    throw EJpegError("JPEG: the picture's pixels do not match its size");
  if (Quality < 1 || Quality > 100) throw EJpegError("JPEG: the quality must be 1 to 100");
  unsigned char* Out = nullptr;
  unsigned long OutSize = 0;
  char Error[JMSG_LENGTH_MAX] = "";
  const bool Ok = EncodeRows(Bitmap, Quality, &Out, &OutSize, Error);
  std::string R;
  if (Ok && Out) R.assign(reinterpret_cast<const char*>(Out), OutSize);
  std::free(Out);
  if (!Ok) throw EJpegError(std::string("JPEG: ") + Error);
  return R;
}

void SaveJpegFile(const TBitmap& Bitmap, int Quality, const std::string& FileName) {
  const std::string Data = EncodeJpeg(Bitmap, Quality);
  // A temporary file beside the target, renamed over it when complete.
  std::string Temp = FileName + ".XXXXXX";
  const int Fd = mkstemp(Temp.data());
  if (Fd < 0) throw EFOpenError(FileName, errno);
  size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = write(Fd, Data.data() + Done, Data.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += size_t(N);
  }
  const bool Written = Done == Data.size() && fchmod(Fd, 0644) == 0;
  const bool Closed = close(Fd) == 0;
  if (!Written || !Closed) {
    unlink(Temp.c_str());
    throw EWriteError();
  }
  if (std::rename(Temp.c_str(), FileName.c_str()) != 0) {
    const int Error = errno;
    unlink(Temp.c_str());
    throw EFOpenError(FileName, Error);
  }
}

}  // namespace quin
