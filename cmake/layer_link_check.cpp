// Linked with one layer's whole library and the libraries it declares: the link fails when the
// layer uses a symbol of a layer above it.
int main() {
    return 0;
}
