#include "phonebook_gui.h"

#include <memory>
#include <new>

#include "app.h"
#include "core/phonebook/phonebook.h"
#include "core/phonebook/phonebook_file.h"

namespace kalmo::win32 {

namespace {
std::unique_ptr<phonebook::Phonebook>& book() {
    static std::unique_ptr<phonebook::Phonebook> b;
    return b;
}
} // namespace

bool allocate_phonebook() {
    book().reset(new (std::nothrow) phonebook::Phonebook());
    return book() != nullptr;
}

void release_phonebook() {
    book().reset();
}

void load_start_phonebook() {
    App& a = app_state();
    phonebook::Phonebook& b = *book();
    b.clear();
    if (a.settings.phonebook_file.empty()) return;
    b.file_name = a.settings.phonebook_file;
    if (phonebook::read_phonebook_file(b, *a.fs, a.ui) == 0) a.settings.phonebook_file.clear();
}

} // namespace kalmo::win32
