#include "KWJpegFile.h"

#include "KWFileWrite.h"
#include "KWMessageBox.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace {
const char* const kFatalCaption = "JPEG Fatal Error";
const char* const kMemoryText = "Memory error";

// libjpeg reports an error through a callback that must not return: it keeps the library's
// message and jumps back into RGBToJpegFile, which cleans up and reports it.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf resume;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ReturnOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->resume, 1);
}

// The output goes straight to the file descriptor through one fixed buffer.
struct Destination {
    jpeg_destination_mgr base;
    int file;
    JOCTET buffer[KWJpegFile::kOutputBufferBytes];
};

void InitDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = sizeof destination->buffer;
}

// Called when the buffer is full: the whole buffer is written, whatever free_in_buffer says.
boolean EmptyOutputBuffer(j_compress_ptr info) {
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    if (!KWWriteAll(destination->file, destination->buffer, sizeof destination->buffer))
        ERREXIT(info, JERR_FILE_WRITE);
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    const std::size_t used = sizeof destination->buffer - destination->base.free_in_buffer;
    if (used > 0 && !KWWriteAll(destination->file, destination->buffer, used))
        ERREXIT(info, JERR_FILE_WRITE);
}

std::unique_ptr<std::uint8_t[]> ToGrey(const std::uint8_t* pixels, int width, int height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::unique_ptr<std::uint8_t[]> grey(new (std::nothrow) std::uint8_t[count]);
    if (!grey)
        return nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = pixels + 3 * i;
        grey[i] = static_cast<std::uint8_t>(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]);
    }
    return grey;
}

// A picture to compress and the file it goes to.
struct Job {
    int file;
    const std::uint8_t* rows;
    int width;
    int height;
    int components;
    int quality;
};

void Compress(jpeg_compress_struct& info, Destination& destination, const Job& job) {
    jpeg_create_compress(&info);
    destination.file = job.file;
    destination.base.init_destination = InitDestination;
    destination.base.empty_output_buffer = EmptyOutputBuffer;
    destination.base.term_destination = TermDestination;
    info.dest = &destination.base;
    info.image_width = static_cast<JDIMENSION>(job.width);
    info.image_height = static_cast<JDIMENSION>(job.height);
    info.input_components = job.components;
    info.in_color_space = job.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, job.quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(job.width) * job.components;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(job.rows + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
}

// The library's error handler jumps back here. Only the compression object, which lives in
// memory, is used after the jump; no object with a destructor lives in this frame.
int CompressOrFail(const Job* job, Destination* destination, ErrorManager* errors) {
    jpeg_compress_struct info{};
    info.err = jpeg_std_error(&errors->base);
    errors->base.error_exit = ReturnOnError;
    if (setjmp(errors->resume) != 0) {
        jpeg_destroy_compress(&info);
        return 0;
    }
    Compress(info, *destination, *job);
    jpeg_destroy_compress(&info);
    return 1;
}
} // namespace

int RGBToJpegFile(int file, const std::uint8_t* pixels, int width, int height, int colour,
                  int quality) {
    const bool toGrey = colour == KWJpegFile::kColourGrey;
    std::unique_ptr<std::uint8_t[]> grey;
    // A picture without pixels is left to the library, which refuses its size.
    if (toGrey && width > 0 && height > 0) {
        grey = ToGrey(pixels, width, height);
        if (!grey) {
            KWMessageBox(kMemoryText, kFatalCaption, KWMessageBoxFlags::kOk);
            return 0;
        }
    }
    const std::uint8_t* rows = toGrey ? grey.get() : pixels;
    const int components = toGrey ? 1 : 3;

    const Job job{file, rows, width, height, components, quality};
    auto destination = std::make_unique<Destination>();
    auto errors = std::make_unique<ErrorManager>();
    if (CompressOrFail(&job, destination.get(), errors.get()))
        return 1;
    KWMessageBox(errors->message, kFatalCaption, KWMessageBoxFlags::kOk);
    return 0;
}
