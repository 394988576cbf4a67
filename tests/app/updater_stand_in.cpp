// Served as the updater in the download window's test on Windows: it marks the folder it was
// started in, and ends.
#include <cstdio>

int main() {
    std::FILE* mark = std::fopen("started", "w");
    return mark && std::fclose(mark) == 0 ? 0 : 1;
}
