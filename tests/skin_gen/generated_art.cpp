#include "generated_art.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>

namespace skintest {

QString generatedArtDir(bool plainMaths) {
  static std::map<bool, std::unique_ptr<QTemporaryDir>> runs;
  auto& dir = runs[plainMaths];
  if (!dir) {
    dir = std::make_unique<QTemporaryDir>();
    QProcess gen;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // glibc's maths as on a processor without FMA and AVX (its sin, cos, atan2 and pow
    // then round differently here); the art must not change.
    if (plainMaths)
      env.insert("GLIBC_TUNABLES", "glibc.cpu.hwcaps=-AVX2,-FMA,-AVX,-AVX2_Usable,-FMA_Usable,-AVX_Usable");
    gen.setProcessEnvironment(env);
    gen.start(VARO_SKIN_GEN, {dir->path()});
    if (!gen.waitForFinished(120000) || gen.exitStatus() != QProcess::NormalExit || gen.exitCode() != 0)
      throw std::runtime_error("varo-skin-gen failed: " + gen.readAllStandardError().toStdString());
  }
  return dir->path();
}

QString committedArtDir() { return VARO_ART_DIR; }

double luminance(QRgb colour) {
  auto linear = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
}

double whiteContrast(QRgb colour) { return 1.05 / (luminance(colour) + 0.05); }

}  // namespace skintest
