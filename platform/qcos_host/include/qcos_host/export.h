/* Symbols of the stand-in host are hidden unless marked with QCOS_HOST_API. */
#ifndef QCOS_HOST_EXPORT_H
#define QCOS_HOST_EXPORT_H

#define QCOS_HOST_API __attribute__((visibility("default")))

#endif /* QCOS_HOST_EXPORT_H */
