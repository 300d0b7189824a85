/* The plug-in header compiles as strict C99 and its calls link. */
#include <kalo_api/kalo_api.h>

#include <stddef.h>

int main(void) {
  void* model = NULL;
  const double zero[6] = {0, 0, 0, 0, 0, 0};
  int rc = kalot_create_cadmodel(&model, "Part", 1.0, zero, zero, 0.0, 0.0, "part.step", NULL);
  if (rc != KALOT_SUCCESS || model == NULL) return 1;
  rc = kalot_release_object(model);
  return rc == KALOT_SUCCESS ? 0 : 1;
}
