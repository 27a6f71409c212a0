#include "renderer/offscreen/picture_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "renderer/builtin_pictures.h"
#include "renderer/hack_run.h"

bool CPictureFolder::Create(std::string& sError) {
    Remove();
    sError.clear();
    for (const std::string& sBase : PictureFolderBases(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"))) {
        std::string sTemplate = sBase + "/vantorel-XXXXXX";
        // mkdtemp makes the folder with mode 0700 whatever the umask: no other user can list or read it.
        if (mkdtemp(&sTemplate[0]) == nullptr) {
            if (sError.empty()) sError = "cannot make a folder in " + sBase + ": " + std::strerror(errno);
            continue;
        }
        sPath = sTemplate;
        bool bWritten = true;
        for (int n = 1; n <= 3 && bWritten; ++n) bWritten = WriteBuiltinPicture(n, PicturePath(n).c_str());
        if (bWritten) return true;
        sError = "cannot write the pictures to " + sPath;
        Remove();
    }
    return false;
}

std::string CPictureFolder::PicturePath(int nNumber) const {
    char szName[16];
    std::snprintf(szName, sizeof szName, "/Nerlo%02d.bmp", nNumber);
    return sPath + szName;
}

void CPictureFolder::Remove() {
    if (sPath.empty()) return;
    // Only the files this folder ever holds: the three pictures and their half-written temporaries.
    for (int n = 1; n <= 3; ++n) {
        const std::string sFile = PicturePath(n);
        unlink(sFile.c_str());
        unlink((sFile + ".part").c_str());
    }
    rmdir(sPath.c_str());
    sPath.clear();
}
