/* Symbols of kalo_qli are hidden unless marked with KALO_QLI_API. */
#ifndef KALO_QLI_EXPORT_H
#define KALO_QLI_EXPORT_H

#define KALO_QLI_API __attribute__((visibility("default")))

#endif /* KALO_QLI_EXPORT_H */
