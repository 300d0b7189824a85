/* The host's array and value interface: what a plug-in module uses to read
 * its arguments and build its results. Arrays are owned by whoever created
 * them until they are stored in a result slot; from then on the host owns them. */
#ifndef QCOS_HOST_QX_ARRAY_H
#define QCOS_HOST_QX_ARRAY_H

#include <stddef.h>
#include <stdint.h>

#include <qcos_host/export.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct qxArray qxArray;
typedef struct qcosClass qcosClass;
typedef struct qcosInstance qcosInstance;

typedef enum qxClassID {
  qxUNKNOWN_CLASS = 0,
  qxOBJECT_CLASS = 1,
  qxCHAR_CLASS = 2,
  qxLOGICAL_CLASS = 3,
  qxDOUBLE_CLASS = 4,
  qxINT32_CLASS = 5,
  qxUINT32_CLASS = 6
} qxClassID;

/* One argument or result slot of a method call: scalar kinds travel by value,
 * every other kind as an array. */
typedef union qxSlot {
  double real;
  int32_t int32;
  uint32_t uint32;
  uint8_t logical;
  qxArray* array;
} qxSlot;

/* A real m-by-n double matrix filled with zeros. */
QCOS_HOST_API qxArray* qxCreateDoubleMatrix(size_t m, size_t n);
/* A 1-by-n text array from text in the process's local multibyte encoding. */
QCOS_HOST_API qxArray* qxCreateString(const char* text);
/* A 1-by-1 object array of the class; its element is unset until qxSetObject. */
QCOS_HOST_API qxArray* qxCreateObjectArray(const qcosClass* cls);
/* Stores an instance (one more reference to it); the previous element is released. */
QCOS_HOST_API void qxSetObject(qxArray* array, size_t index, qcosInstance* object);
/* Element of an object array, or NULL (not an object array, index out of range, unset). */
QCOS_HOST_API qcosInstance* qxGetObject(const qxArray* array, size_t index);

QCOS_HOST_API qxClassID qxGetClassID(const qxArray* array);
/* "double", "char", "logical", "int32", "uint32" or the full class name of an object array. */
QCOS_HOST_API const char* qxGetClassName(const qxArray* array);
QCOS_HOST_API size_t qxGetM(const qxArray* array);
QCOS_HOST_API size_t qxGetN(const qxArray* array);
QCOS_HOST_API size_t qxGetNumberOfElements(const qxArray* array);
/* The m*n values of a double array, column by column; NULL for other classes. */
QCOS_HOST_API double* qxGetPr(const qxArray* array);

/* The text of a char array as NUL-terminated UTF-16, in a host block (qxFree);
 * NULL when the array is not text. */
QCOS_HOST_API uint16_t* qxArrayToUTF16String(const qxArray* array);
/* NUL-terminated UTF-16 to the local multibyte encoding, in a host block (qxFree). */
QCOS_HOST_API char* qxUTF16ToLocalString(const uint16_t* text);
/* Frees a block the host allocated for the caller; NULL is ignored. */
QCOS_HOST_API void qxFree(void* block);
QCOS_HOST_API void qxDestroyArray(qxArray* array);

#ifdef __cplusplus
}
#endif

#endif /* QCOS_HOST_QX_ARRAY_H */
