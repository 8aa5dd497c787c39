// A typed event bus.
export interface Handler<T> {
  (payload: T): void;
}

type Events = {
  login: { user: string };
  logout: undefined;
};

export class EventBus<E extends Record<string, unknown>> {
  private handlers: { [K in keyof E]?: Handler<E[K]>[] } = {};

  public on<K extends keyof E>(event: K, handler: Handler<E[K]>): () => void {
    const list = this.handlers[event] ?? [];
    list.push(handler);
    this.handlers[event] = list;
    return () => this.off(event, handler);
  }

  public off<K extends keyof E>(event: K, handler: Handler<E[K]>): void {
    const list = this.handlers[event];
    if (!list) {
      return;
    }
    this.handlers[event] = list.filter((h) => h !== handler);
  }

  emit<K extends keyof E>(event: K, payload: E[K]): boolean {
    const list = this.handlers[event];
    if (list === undefined) return false;
    for (const h of list) {
      h(payload);
    }
    return true;
  }
}

enum Level { Debug, Info }

const bus = new EventBus<Events>();
let level: Level = Level.Info;
bus.on('login', ({ user }) => console.log(`hello ${user}`));
async function main(): Promise<void> {
  bus.emit('login', { user: 'ada' });
}
void main();
