#pragma once
#include "KWAviCompressOptions.h"
#include "KWWaveFormat.h"

#include <cstdint>
#include <functional>
#include <string>

class CKWImageBuffer;

// Writing pictures into an AVI file: a small set of functions over one writer state. The video
// stream takes its size from the first bitmap and its time scale from the frame period; frames
// go through the chosen compressor, or are stored as they are (full frames) when none was
// chosen. The first failure sets the state's error flag and every later call fails with
// AVIERR_ERROR; CloseAvi still closes the file.
using KWAviResult = std::uint32_t;
constexpr KWAviResult AVIERR_OK = 0;
constexpr KWAviResult AVIERR_BADPARAM = 0x8004406A;   // no bitmap, or not a 24-bit bitmap
constexpr KWAviResult AVIERR_BADHANDLE = 0x8004406C;  // no writer state
constexpr KWAviResult AVIERR_COMPRESSOR = 0x80044070; // the compression is already set
constexpr KWAviResult AVIERR_ERROR = 0x800440C7;      // the error flag is set, or the media library
                                                      // failed

struct KWAviWriterState;

// Lets the user change the options (the compression options dialog); false when cancelled,
// which leaves them as they were.
using KWAviCompressionDialog = std::function<bool(KWAviCompressOptions& options)>;

// Creates or truncates the file at `path`. Null when it cannot be created. The files hold
// pictures only: a sound format (`audioFormat` not null) is refused with null.
KWAviWriterState* CreateAvi(const std::string& path, std::uint32_t framePeriodMs,
                            const KWWaveFormat* audioFormat);
// Makes the stream that frames are compressed into, with `options` (null: zeroed options),
// after letting the user change them through `showDialog` when one is given. AVIERR_COMPRESSOR
// when the stream is made already.
KWAviResult SetVideoCompression(KWAviWriterState* state, const CKWImageBuffer* bitmap,
                                KWAviCompressOptions* options,
                                const KWAviCompressionDialog& showDialog);
// Adds the bitmap as the next frame; the first frame without a compression set makes a stream
// of full frames. A bitmap of another size than the stream's is scaled to it.
KWAviResult AddAviFrame(KWAviWriterState* state, const CKWImageBuffer* bitmap);
// Finishes and closes the file and frees the state. AVIERR_ERROR when the file is incomplete:
// the error flag was set, no frame could be added, or finishing it failed; `error`, when
// given, then tells why.
KWAviResult CloseAvi(KWAviWriterState* state, std::string* error = nullptr);

// Frames added so far; 0 for no state.
std::uint32_t GetAviFrameCount(const KWAviWriterState* state);
