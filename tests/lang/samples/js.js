// Fetches a list of users and renders it.
'use strict';

const API = '/api/users';
let cache = null;

export async function loadUsers(force = false) {
  if (cache !== null && !force) {
    return cache;
  }
  try {
    const response = await fetch(API);
    if (!response.ok) {
      throw new Error(`HTTP ${response.status}`);
    }
    cache = await response.json();
  } catch (err) {
    console.error(err);
    cache = [];
  } finally {
    document.body.classList.remove('loading');
  }
  return cache;
}

class UserList extends HTMLElement {
  constructor() {
    super();
    this.count = 0;
  }
  render(users) {
    for (const user of users) {
      if (typeof user.name === 'undefined') continue;
      const li = document.createElement('li');
      li.textContent = user.name;
      this.appendChild(li);
      this.count++;
    }
    return this.count > 0 ? true : false;
  }
}

function* ids(start) {
  let i = start;
  while (true) yield i++;
}

window.customElements.define('user-list', UserList);
var legacy = new Date();
delete window.tmp;
