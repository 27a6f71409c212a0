// The hack's private copy of the product's three pictures: a folder only the user can enter, made
// under $XDG_RUNTIME_DIR (else $TMPDIR, else /tmp), holding Nerlo01.bmp to Nerlo03.bmp, and removed
// with everything in it when the hack ends.
#pragma once
#include <string>

class CPictureFolder {
public:
    CPictureFolder() = default;
    ~CPictureFolder() { Remove(); }
    CPictureFolder(const CPictureFolder&) = delete;
    CPictureFolder& operator=(const CPictureFolder&) = delete;

    // Makes the folder in the first base that takes it and writes the pictures; false, with the
    // reason in sError and nothing left behind, when no base does.
    bool Create(std::string& sError);
    // Path of picture nNumber (1 to 3) inside the folder.
    std::string PicturePath(int nNumber) const;
    const std::string& Path() const { return sPath; }
    void Remove();

private:
    std::string sPath;
};
