#pragma once
// Every audio file format the program knows, in one table: how a file is recognised, what it is
// called in the windows and on the command line, which class reads it and whether and how it
// is written. The opener, the naming, the dialogs, the file properties, the editor's
// information line and the command line all read this table; a new format is a row here and
// its reader or writer.
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFile.h"

namespace Audio {

// The stored codes of WAV (1) and AIFF (2) stay as they always were.
enum FileType : u32 {
    UnknownType = 0,
    WavType = 1,
    AiffType = 2,
    FlacType = 3,
    OggVorbisType = 4,
    OpusType = 5,
    Mp3Type = 6,
    Rf64Type = 7,
    Wave64Type = 8,
    CafType = 9,
};

struct FileFormat {
    // A closed file object on the byte stream. `expectedBytes` is the sample data a writer
    // expects to hold (0 when reading); a WAV writer that may pass 4 GiB makes room for RF64.
    using Factory = std::unique_ptr<CAudioFile> (*)(std::unique_ptr<CFile> file, u64 expectedBytes);
    // The sample size a writer stores for a source's sample size.
    using BitsRule = u32 (*)(u32 sourceBits);

    FileType type;
    const char* key;                     // the command line's and the settings' word: "flac"
    std::vector<std::string> extensions; // lower case, the one written first
    const char* writtenExtension;        // what a written file is named with
    const char* name;                    // as people know it, in the file properties
    const char* shortName;               // in the wave editor's information line
    const char* filterName;              // in the file dialogs
    const char* word;                    // in texts such as "open a wave file please!"
    bool lossy;                          // decoding gives back less than was encoded
    bool offered;                        // a choice of the windows' save dialogs and preferences
    int sndfileFormat; // libsndfile's code; 0 for the formats read by our own classes
    Factory make;
    BitsRule writtenBits; // null: not written
    u64 maxDataBytes;     // sample data a file can hold
};

// Every row, WAV first and AIFF second (the order the dialogs list them in).
const std::vector<FileFormat>& fileFormats();
// The row of a type; null for UnknownType.
const FileFormat* formatOf(FileType type);
// The row whose extensions hold the path's (any case); null when none does.
const FileFormat* formatOfPath(const std::string& path);
// The row with this command-line word; null when none has it.
const FileFormat* formatOfKey(const std::string& key);
// The row of libsndfile's format code (container and encoding); null when none matches.
const FileFormat* formatOfSndfile(int sndfileFormat);

// The type of the extension after the last '.' (any case); UnknownType when no row has it.
FileType fileTypeFromExtension(const std::string& path);

// The formats a result can be written in, and their words for the command line's help
// ("wav, aiff, flac or rf64").
std::vector<const FileFormat*> writableFormats();
std::string writableKeys();

// The format of a result: what the user asked for; else a lossless source keeps its format and
// a lossy one gives FLAC, never a second lossy generation.
FileType resultTypeFor(FileType source, FileType asked);

// Refuses, before anything is written, a result of `dataBytes` sample bytes that the format
// cannot hold; the text names the size.
void checkResultSize(FileType type, u64 dataBytes);

// The filter of an open dialog that lists every name the opener accepts, upper case included:
// "All Audiofiles | *.wav; *.WAV; *.aif; ...|Wave Files (*.wav) | *.wav; *.WAV|...||". Entry 0
// is all audio files, entry k the k-th row.
std::string openDialogFilter();
// The filter of one format alone ("Wave Files (*.wav) | *.wav; *.WAV||").
std::string singleFormatFilter(FileType type);
// The save dialog's filter: the offered formats in table order.
std::string saveDialogFilter();
// The format of an open dialog's filter entry (null for all audio files), and of a save dialog's.
const FileFormat* openFilterFormat(int index);
const FileFormat* saveFilterFormat(int index);

// A closed file object of the type for the path; a writer for `expectedBytes` of sample data.
// Throws std::logic_error for UnknownType.
std::unique_ptr<CAudioFile> createAudioFile(const std::string& path, FileType type,
                                            u64 expectedBytes = 0);

// The type of an opened file: by its content where the reader tells it (an Ogg file holding
// Opus), else by the path's extension.
FileType openedFileType(const CAudioFile& file, const std::string& path);

} // namespace Audio
