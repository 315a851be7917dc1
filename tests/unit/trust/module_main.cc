// A module that only carries resources for the trusted-list check; it is
// loaded as data and never run.
int main() {
  return 0;
}
