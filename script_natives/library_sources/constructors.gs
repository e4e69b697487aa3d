// Empty objects made by scripts: soups, KUID lists and images.

include "gs.gs"
include "soup.gs"
include "kuidlist.gs"
include "image.gs"

static class ConstructorsBase {
  public native Soup NewSoup();
  public native KUIDList NewKUIDList();
  public native Image NewImage();
};
