#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

#include "audio/AudioFileOpener.h"
#include "audio/StagedOutputPath.h"
#include "cli/Commands.h"
#include "cli/CopyFrames.h"
#include "cli/Interrupt.h"
#include "cli/ProgressLine.h"

namespace Cli {

using namespace Audio;

const char* const copyHelp =
    "usage: stretchwerk-cli copy IN OUT [--bits 8|16|24|32] [--format F] [--force]\n"
    "\n"
    "Copies the audio of IN (any format that info reads) into a new file OUT. The format of\n"
    "OUT follows its extension (.wav, .aif, .aiff, .flac, .rf64, .w64 or .caf), or --format\n"
    "(wav, aiff, flac or rf64, also w64 and caf), which OUT's extension must then name\n"
    "(.wav for rf64 too). The sample format stays that of IN unless --bits is given.\n"
    "32 bits are IEEE floats in WAV files and integers in AIFF files (AIFF has no floats);\n"
    "FLAC holds 16 or 24 bits. A WAV file beyond 4 GiB is written as RF64; a result that\n"
    "the format cannot hold is refused before anything is written.\n"
    "An existing OUT is only replaced with --force. OUT appears only when it is complete.\n";

namespace {

struct CopyRequest {
    std::string in;
    std::string out;
    u32 bits = 0; // 0: as the source
    FileType type = UnknownType;
    bool force = false;
};

// The format of OUT: --format, whose written or accepted extensions OUT must have; else the
// one its extension names, which must be one that is written.
FileType destinationType(const std::string& out, const FileFormat* asked) {
    const FileFormat* named = formatOfPath(out);
    if (asked) {
        std::string extension = extensionOf(out);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (named != asked && extension != asked->writtenExtension)
            throw UsageError("copy: " + out + ": --format " + asked->key + " writes files named ." +
                             asked->writtenExtension);
        return asked->type;
    }
    if (!named || !named->writtenBits) {
        std::string list;
        for (const FileFormat* f : writableFormats())
            for (const std::string& extension : f->extensions)
                list += (list.empty() ? "." : ", .") + extension;
        throw UsageError("copy: " + out + ": the destination must end in " + list);
    }
    return named->type;
}

CopyRequest parseCopy(Arguments& args, bool* helpShown, Streams io) {
    CopyRequest request;
    std::vector<std::string> operands;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << copyHelp;
            *helpShown = true;
            return request;
        }
        if (word == "--force" || word == "-f") {
            request.force = true;
        } else if (word == "--format") {
            const FileFormat* f = formatOfKey(args.value(word));
            if (!f || !f->writtenBits) throw UsageError("--format takes " + writableKeys());
            request.type = f->type;
        } else if (word == "--bits") {
            request.bits = static_cast<u32>(args.integer(word, 8, 32));
            if (request.bits != 8 && request.bits != 16 && request.bits != 24 && request.bits != 32)
                throw UsageError("--bits takes 8, 16, 24 or 32");
        } else if (Arguments::isOption(word)) {
            throw UsageError("copy: unknown option " + word);
        } else {
            operands.push_back(word);
        }
    }
    if (operands.size() != 2) throw UsageError("copy: name one source and one destination");
    request.in = operands[0];
    request.out = operands[1];
    request.type = destinationType(request.out, formatOf(request.type));
    return request;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

int runCopy(Arguments& args, Streams io) {
    bool helpShown = false;
    const CopyRequest request = parseCopy(args, &helpShown, io);
    if (helpShown) return 0;
    std::unique_ptr<CAudioFile> reader;
    try {
        reader = openSourceFile(request.in);
    } catch (const std::exception& e) {
        io.err << describeFailure(request.in, e.what()) << '\n';
        return 1;
    }
    if (exists(request.out) && !request.force) {
        io.err << describeFailure(request.out, "exists already; use --force to replace it") << '\n';
        return 1;
    }
    try {
        AudioFormat format = reader->format;
        const u32 bits = formatOf(request.type)
                             ->writtenBits(request.bits != 0 ? request.bits : format.bitsPerSample);
        if (bits != format.bitsPerSample) {
            format.bitsPerSample = bits;
            format.bytesPerFrame = bytesPerSample(bits) * format.channels;
            format.bytesPerSecond = 0;
        }
        const u64 bytes = reader->getFrames() * format.bytesPerFrame;
        checkResultSize(request.type, bytes);
        StagedOutputPath staged(request.out);
        auto writer = createAudioFile(staged.temporary(), request.type, bytes);
        writer->open(Write, &format);
        ProgressLine progress(io.err, io.errIsTerminal,
                              "Copying \"" + fileNameOf(request.in) + "\" ...");
        if (!copyFrames(*reader, *writer, progress)) {
            progress.finish("interrupted; " + request.out + " was not written");
            return interruptedExitCode;
        }
        writer->close();
        staged.commit(request.force);
        progress.finish(request.out + ": " + std::to_string(writer->getFrames()) +
                        " frames written");
    } catch (const std::exception& e) {
        io.err << describeFailure(request.out, e.what()) << '\n';
        return 1;
    }
    return 0;
}

} // namespace Cli
