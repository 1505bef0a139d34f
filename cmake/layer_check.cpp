// The check program of one library (cmake/Libraries.cmake): the library,
// whole, and nothing but the libraries it links itself.  It links only while
// the library calls nothing above it or beside it.
int main() { return 0; }
