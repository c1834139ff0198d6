#pragma once

#include <functional>
#include <memory>
#include <typeindex>
#include <utility>

namespace ui {

// A state cell is where a `State` value really lives. The runtime keeps one
// per (place in the tree, slot) and hooks `onChange` to mark the frame dirty.
class StateCellBase {
public:
    virtual ~StateCellBase() = default;
    std::function<void()> onChange;
};

template <class T>
class StateCell : public StateCellBase {
public:
    explicit StateCell(T v) : value(std::move(v)) {}
    T value;
};

// A two-way reference to a value owned elsewhere (the platform's `Binding`).
template <class T>
class Binding {
public:
    Binding() = default;
    Binding(std::function<T()> get, std::function<void(T)> set)
        : get_(std::move(get)), set_(std::move(set)) {}

    T wrappedValue() const { return get_ ? get_() : T{}; }
    void set(T v) const {
        if (set_) set_(std::move(v));
    }
    explicit operator bool() const { return static_cast<bool>(get_); }

    static Binding constant(T v) {
        return Binding([v] { return v; }, [](T) {});
    }

private:
    std::function<T()> get_;
    std::function<void(T)> set_;
};

// View state. A `State` member is a handle to a cell; copies of the view
// share it, so an action that captured a copy writes the live value. When
// the runtime builds a view at a place where it built one before, it
// re-binds the view's states to the cells it kept for that place.
template <class T>
class State {
public:
    explicit State(T initial = T{}) : cell_(std::make_shared<StateCell<T>>(std::move(initial))) {}

    const T& wrappedValue() const { return cell_->value; }
    operator const T&() const { return cell_->value; }

    // Writing the value the state already has changes nothing, and in
    // particular does not mark anything dirty.
    void set(T v) const {
        if (cell_->value == v) return;
        cell_->value = std::move(v);
        if (cell_->onChange) cell_->onChange();
    }
    const State& operator=(const T& v) const {
        set(v);
        return *this;
    }

    // The platform's `$state`.
    Binding<T> binding() const {
        auto cell = cell_;
        return Binding<T>([cell] { return cell->value; },
                          [cell](T v) {
                              if (cell->value == v) return;
                              cell->value = std::move(v);
                              if (cell->onChange) cell->onChange();
                          });
    }

    const std::shared_ptr<StateCell<T>>& cell() const { return cell_; }
    void rebind(std::shared_ptr<StateCell<T>> cell) { cell_ = std::move(cell); }

private:
    std::shared_ptr<StateCell<T>> cell_;
};

// Closes the presentation that shows the view holding it. Read from the
// environment: the runtime binds it when it builds the view.
class DismissAction {
public:
    void operator()() const {
        if (action_ && *action_) (*action_)();
    }
    void rebind(std::function<void()> action) {
        action_ = std::make_shared<std::function<void()>>(std::move(action));
    }

private:
    std::shared_ptr<std::function<void()>> action_;
};

// What the runtime offers a component while it evaluates its body: the
// cells for its states, in declaration order, and its environment.
class ComponentContext {
public:
    virtual ~ComponentContext() = default;

    template <class T>
    void bind(State<T>& state) {
        auto cell = slot(nextSlot_++, typeid(T), state.cell());
        state.rebind(std::static_pointer_cast<StateCell<T>>(std::move(cell)));
    }
    void bind(DismissAction& dismiss) { dismiss.rebind(dismissAction()); }

protected:
    // The cell kept for slot `index` of the component being built; when the
    // place has none yet (or held another type), `fresh` is adopted.
    virtual std::shared_ptr<StateCellBase> slot(std::size_t index, std::type_index type,
                                                std::shared_ptr<StateCellBase> fresh) = 0;
    virtual std::function<void()> dismissAction() = 0;
    void resetSlots() { nextSlot_ = 0; }

private:
    std::size_t nextSlot_ = 0;
};

}  // namespace ui
