#include "app/Product.h"

namespace merivane {

std::string g_product;
std::string g_deviceModel;

}  // namespace merivane
