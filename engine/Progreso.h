#pragma once
// The two displays the caller lends the engine: a progress bar and a label
// for the percentage. A Qt progress bar, a terminal bar and a test recorder
// all stand behind these.
#include <QString>

namespace ncc {

class Progreso {
public:
    virtual ~Progreso() = default;
    virtual void setMin(float valor) = 0;
    virtual float Max() const = 0;
    virtual void setMax(float valor) = 0;
    virtual float Value() const = 0;
    virtual void setValue(float valor) = 0;
};

class Porcentaje {
public:
    virtual ~Porcentaje() = default;
    virtual void setCaption(const QString& texto) = 0;
};

// A bar that only keeps its numbers; the command line and the tests read it.
class ProgresoEnMemoria : public Progreso {
public:
    void setMin(float v) override { min_ = v; }
    float Min() const { return min_; }
    float Max() const override { return max_; }
    void setMax(float v) override { max_ = v; }
    float Value() const override { return valor_; }
    void setValue(float v) override { valor_ = v; }

private:
    float min_ = 0, max_ = 100, valor_ = 0;
};

class PorcentajeEnMemoria : public Porcentaje {
public:
    void setCaption(const QString& t) override { texto_ = t; }
    const QString& Caption() const { return texto_; }

private:
    QString texto_;
};

}  // namespace ncc
