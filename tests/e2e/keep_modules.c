/* Preloaded into the game under test: shared libraries that the system's libraries load and unload again
 * (display-mode helpers, the GL driver) stay mapped until the process ends. LeakSanitizer's check at exit
 * then still sees their globals, which hold what they allocated, and can name them in a report; once
 * unloaded, their memory would be reported as leaked by "<unknown module>", and no suppression could tell
 * it from a leak of the game's own. */
int dlclose(void* handle) {
  (void)handle;
  return 0;
}
