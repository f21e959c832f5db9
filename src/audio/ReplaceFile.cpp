#include "audio/ReplaceFile.h"

#include "audio/DataFile.h"
#include "audio/StagedOutputPath.h"

namespace Audio {

void replaceFile(const std::string& path, const std::function<void(CFile&)>& write) {
    StagedOutputPath staged(path);
    CDataFile file(staged.temporary(), "", "");
    file.open(Write);
    write(file);
    file.close();
    staged.commit(true);
}

} // namespace Audio
